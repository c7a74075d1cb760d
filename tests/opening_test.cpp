#include <gtest/gtest.h>

#include "memory_terminal.hpp"
#include "script_texts.hpp"

namespace kurenagi::testing {
namespace {

const std::string to_names = notice + title_round();
const std::string yamada_taro = to_names + names_round("山田", "太郎");

struct Transcript {
    const char* name;
    std::string keys;
    std::string screen;
};

TEST(Opening, Transcripts) {
    const std::vector<Transcript> cases = {
        {"a letter at the notice ends the run", "x\n1\n", notice},
        {"no input at all", "", notice},
        {"end of input at the title menu", "\n",
         notice + page() + "ー　クレナギ　ー\n\n\n\n1.start\n\n\n\n" + prompt},
        {"other numbers and lines without one show the title again without notice",
         "\n2\n7\nabc\n-1\n１\n0\n58203\n\n\n", notice + repeated(title_round(), 7) + hidden_scene},
        {"hidden scene: first beat follows the answer, the others wait", "\n58203\n\n\n",
         notice + title_round() + hidden_scene},
        {"hidden scene cut short by the end of input", "\n58203\n\n",
         notice + title_round() +
             "彩芽　アザミ\n\n「君、どうやってここに来たんだい？」\n\n"
             "「まあいいや、今の君がどっちかは知らないけれど...」\n\n"},
        {"hidden scene: a letter skips a beat", "\n58203\nx\n",
         notice + title_round() +
             "彩芽　アザミ\n\n「君、どうやってここに来たんだい？」\n\n"
             "「せっかく来たんだ、見ていってくれよ」"},
        {"Enter presses before the title answer", "\n\n\n\n1\n山田\n太郎\n",
         to_names +
             "あなたの名字と名前を入力してください\n\n\n名字：\n\n名前：\n\n山田 太郎 "
             "であっていますか？\n\n" +
             yes_no},
        {"both names on one line", "\n1\n山田 太郎\n1\n私\n1\n",
         yamada_taro + pronoun_round("私") + chapter_title},
        {"2 asks for both names again, 5 accepts", "\n1\n田中\n一\n2\n山田\n太郎\n5\n私\n1\n",
         to_names + names_round("田中", "一") + names_round("山田", "太郎") + pronoun_round("私") +
             chapter_title},
        {"a line without a number asks for the names again",
         "\n1\n山田 太郎\nはい\n山田 太郎\n-3\n僕\n1\n",
         yamada_taro + names_round("山田", "太郎") + pronoun_round("僕") + chapter_title},
        {"2 asks for the pronoun again, 0 accepts", "\n1\n山田 太郎\n1\n俺\n2\n私\nx\n私\n0\n",
         yamada_taro + repeated(pronoun_round("俺"), 1) + repeated(pronoun_round("私"), 2) +
             chapter_title},
        {"a name of 10 bytes is shown empty", "\n1\nあいうえお 太郎\n2\nあいうえa 太郎\n1\n",
         to_names + names_round("", "太郎") + names_round("あいうえa", "太郎") +
             "あなたの一人称を入力してください\n\n\n一人称：\n\n  であっていますか？\n\n" + yes_no},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(play_on(c.keys), c.screen);
    }
}

TEST(Opening, GameWaitsWithTheQuestionOnScreen) {
    MemoryTerminal terminal("\n1\n山田\n太郎\n1\n私\n1\n\n");
    play(terminal);
    const auto& waits = terminal.screens_at_wait;
    const std::vector<std::string> endings = {"お願いいたします\n\n\n",
                                              prompt,
                                              "名字：",
                                              "名前：",
                                              prompt,
                                              "一人称：",
                                              prompt,
                                              chapter_title};
    ASSERT_GE(waits.size(), endings.size());
    for (std::size_t i = 0; i < endings.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(waits[i].ends_with(endings[i]));
    }
}

}  // namespace
}  // namespace kurenagi::testing
