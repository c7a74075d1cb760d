#pragma once

// The story's texts as the script gives them, put together into what the player should
// see. Expected transcripts are assembled from these, never from a recorded run.

#include <string>

namespace kurenagi::testing {

inline std::string enters(int count) {
    std::string keys(static_cast<std::size_t>(count), '\n');
    return keys;
}

inline std::string repeated(const std::string& text, int count) {
    std::string all;
    for (int i = 0; i < count; ++i) {
        all += text;
    }
    return all;
}

inline const std::string prompt = "選択肢を入力してください：";
inline const std::string refused = "その入力は現在できません\n\n\n";

inline std::string rule() { return repeated("＿", 21); }
inline std::string page() { return "\n\n\n\n" + rule() + "\n\n\n\n"; }

// Opening.

inline const std::string notice =
    "注意！\n\n\n先に進む時 = Enterキー\n選択肢入力の際は半角英数でお願いいたします\n\n\n";

inline std::string title_round() {
    return page() + "ー　クレナギ　ー\n\n\n\n1.start\n\n\n\n" + prompt + "\n\n" + page();
}

inline const std::string yes_no = "1.はい\n\n2.いいえ\n\n" + prompt;

inline std::string names_round(const std::string& a, const std::string& b) {
    return "あなたの名字と名前を入力してください\n\n\n名字：\n\n名前：\n\n" + a + " " + b +
           " であっていますか？\n\n" + yes_no + "\n\n" + page();
}

inline std::string pronoun_round(const std::string& d) {
    return "あなたの一人称を入力してください\n\n\n一人称：\n\n " + d + " であっていますか？\n\n" +
           yes_no + "\n\n" + page();
}

inline const std::string hidden_scene =
    "彩芽　アザミ\n\n「君、どうやってここに来たんだい？」\n\n"
    "「まあいいや、今の君がどっちかは知らないけれど...」\n\n"
    "「せっかく来たんだ、見ていってくれよ」";

// Arrival.

inline std::string move_round(const std::string& choice) {
    return page() + "移動したい場所を選んでください\n\n\n" + choice + "\n\n" + prompt + page();
}

inline const std::string chapter_title = "チャプター１ 「異変」";

inline std::string prologue(const std::string& a, const std::string& b) {
    return page() + "あなたは市立真象高校の生徒だ\n" +
           "今日、あなたは忘れ物をしてしまい、夜9時にとりに行くことにした。\n" +
           "\n\n「なんで今日に限って忘れ物するかなぁ...」\n" +
           "そんなことを言いながら学校の空いていた窓から侵入した\n\n\n" + page() +
           "現在地：1F　廊下\n\n\n" + page() + "side " + a + "\n\n\n" + a + " " + b + "\n" +
           "「さて、忘れ物をした教室は二階のA室だったはず...」\n\n";
}

inline std::string second_floor() {
    return page() + "現在地：2F　廊下\n\n\n" + page() +
           "ギギギ...と何かが開くような音が聞こえた\n\n" + "何の音だろう...?\n\n" +
           "「...少し急いだほうがいいかな」\n\n";
}

inline std::string in_classroom(const std::string& a, const std::string& b) {
    return page() + "現在地：2-a\n\n\n" + page() + a + " " + b + "\n" +
           "「えーっと、忘れ物した場所は...」\n\n";
}

// All of the arrival when the player only presses Enter and picks the way on.
inline std::string arrival(const std::string& a, const std::string& b) {
    return chapter_title + prologue(a, b) + move_round("6.二階へ") + second_floor() +
           move_round("1.2-a") + in_classroom(a, b);
}
inline const std::string arrival_keys = enters(7) + "6\n" + enters(4) + "1\n" + enters(1);

// Investigation of classroom 2-a.

inline std::string examine_round() {
    return page() + "調べたい場所を指定してください\n\n\n1.机の中\n\n2.窓\n\n" + prompt + page();
}

inline const std::string look_or_go_choices = "\n\n\n1.まだ調べる\n\n2.進む\n\n" + prompt;

inline std::string desk(const std::string& a, const std::string& d) {
    return "side " + a + "\n\n\n" + d + "は机の中を見てみることにした\n\n" +
           "鍵（図書室）を見つけた...\n\n" + "「なんでこんなものがここに？」\n\n" +
           "もしかして、忘れ物はなかったけど鍵があるし図書室にあるのかも...？\n\n" +
           "もう一つの忘れ物のこともあるし...\n\n" + "図書室に行ってみよう";
}
inline const std::string desk_keys = enters(5);  // D2 to D6; D1 follows the answer

inline const std::string desk_again = "何もないみたいだ";

inline const std::string cry = "蜉ｩ縺代※";

inline std::string window(const std::string& a, const std::string& d, int mental) {
    return "side " + a + "\n\n\n" + d + "はふと窓が気になり、見てみることにした\n\n" +
           "そこには何かがいた\n\n" +
           "頭部は血が噴き出てぐちゃぐちゃにつぶされている\n"
           "体はいたるところに打撲痕があり、元々制服だったであろう物は無残にも切り裂かれていた\n"
           "\n" +
           "呆然としていた" + d +
           "はそれが口であろう部分を開けて何かを言おうとしていることに気づいた\n\n" +
           "「ネぇ...」\n\n" + "「" + cry + "！！！！！」\n\n" +
           "そういいながらこちらに向かって窓をたたいている\n\n" + "「" + repeated(cry, 14) +
           "！！」\n\n" + d +
           "は見てはいけないものを見てしまったという思いと恐怖心で頭がいっぱいになった\n\n" +
           page() + "精神力：５減少\n\n\n精神力：" + std::to_string(mental) + "\n\n" +
           "「何だったんだろう...」\n\n" +
           "何が何だかわからないけれど、とりあえず探索に戻ろう...\n\n\n";
}
inline const std::string window_keys = enters(11);  // W2 to W12; W1 follows the answer

inline const std::string window_round = page() + "1.まだ調べる\n\n" + prompt;

inline const std::string window_again = "もう何もいないみたいだ...";
inline std::string window_again_round() { return "\n\n\n1.まだ調べる\n\n" + prompt + page(); }

inline const std::string in_2a = "現在地：2-a\n\n\n";
inline std::string route_round() {
    return "移動したい場所を選んでください\n\n\n1.2-a\n\n4.図書室\n\n" + prompt + page();
}

// Library.

inline const std::string closing_lines = "今はここまで\nthink you for pleying!\n";

// The library up to the closing lines.
inline std::string encounter(const std::string& a, const std::string& b, const std::string& d) {
    return "現在地：図書室\n\n\n" + ("side " + a + "\n\n\n") +
           "鍵を持っているため開けられるようだ\n\n" +
           "鍵を使って音を立てないよう慎重に扉を開けた\n\n" + "その時\n\n" +
           "?? ??\n「君は誰だ？」\n\n" + "そう声が聞こえたほうを見てみると\n\n" +
           "とても綺麗な人がいた\n\n" + "髪は黒く目は赤くきらきらとしてとても綺麗な人がいた\n\n" +
           "?? ??\n「聞こえていなかったかい？君は誰だと聞いているんだけど」\n\n" +
           "...綺麗な人だな、なんて思ったけど気のせいかもしれない\n\n" +
           ("「" + d + "は" + a + " " + b + "」\n\n") + "「あなたは？」\n\n" +
           "?? ??\n「僕は...」\n\n" + "彩芽　アザミ\n\n「...僕の名前は彩芽　アザミ」\n\n" +
           "「すまない、ここに人がいることはありえないから少し警戒してしまった」\n\n";
}

inline std::string library(const std::string& a, const std::string& b, const std::string& d) {
    return encounter(a, b, d) + closing_lines;
}
inline const std::string library_keys = enters(15);  // L2 to L15 and the last key

}  // namespace kurenagi::testing
