#include "story/scenes.hpp"

namespace kurenagi {

void visit_library(Console& con, const StoryState& s) {
    if (con.gate()) {
        con.say("現在地：図書室");
        con.say("\n\n\n");
    }
    if (con.gate()) {
        con.say("side %s\n", s.a);
        con.say("\n\n");
        con.say("鍵を持っているため開けられるようだ");
        con.say("\n\n");
    }
    con.beat("鍵を使って音を立てないよう慎重に扉を開けた");
    con.beat("その時");
    if (con.gate()) {
        con.say("?? ??\n");
        con.say("「君は誰だ？」");
        con.say("\n\n");
    }
    con.beat("そう声が聞こえたほうを見てみると");
    con.beat("とても綺麗な人がいた");
    con.beat("髪は黒く目は赤くきらきらとしてとても綺麗な人がいた");
    if (con.gate()) {
        con.say("?? ??\n");
        con.say("「聞こえていなかったかい？君は誰だと聞いているんだけど」");
        con.say("\n\n");
    }
    con.beat("...綺麗な人だな、なんて思ったけど気のせいかもしれない");
    if (con.gate()) {
        con.say("「%sは%s %s」", s.d, s.a, s.b);
        con.say("\n\n");
        con.say("「あなたは？」");
        con.say("\n\n");
    }
    if (con.gate()) {
        con.say("?? ??\n");
        con.say("「僕は...」");
        con.say("\n\n");
    }
    if (con.gate()) {
        con.say("彩芽　アザミ");
        con.say("\n\n");
        con.say("「...僕の名前は彩芽　アザミ」");
        con.say("\n\n");
    }
    con.beat("「すまない、ここに人がいることはありえないから少し警戒してしまった」");
    if (con.gate()) {
        con.say("今はここまで\n");
        con.say("think you for pleying!\n");
    }
    con.swallow();  // one last key before the window closes
}

}  // namespace kurenagi
