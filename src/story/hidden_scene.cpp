#include "story/scenes.hpp"

namespace kurenagi {

// The stranger of the library, met far too early. The run ends on the stranger's words.
void play_hidden_scene(Console& con) {
    if (con.gate()) {
        con.say("彩芽　アザミ");
        con.say("\n\n");
        con.say("「君、どうやってここに来たんだい？」");
        con.say("\n\n");
    }
    con.beat("「まあいいや、今の君がどっちかは知らないけれど...」");
    if (con.gate()) {
        con.say("「せっかく来たんだ、見ていってくれよ」");
    }
}

}  // namespace kurenagi
