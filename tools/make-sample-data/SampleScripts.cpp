// The old well's conversation and the wish script it calls.
#include "SampleScripts.h"

#include "formats/script_assembler.h"

namespace sample {

namespace {

std::string Key(const char* name)
{
    return std::string(WellLayout::kScriptFile) + "/" + name;
}

// Event flag `flag` set to the value of a token (a number or a variable).
std::string SetFlag(std::uint32_t flag, const std::string& value)
{
    return "CALL @@SendMsg \"Flag\" 1 8 " + std::to_string(flag) + " " + value;
}

std::string Say(const char* text)
{
    return std::string("CALL @@SendMsg \"Text\" 0 \"") + text + "\"";
}

// n + 1 + 1 + ... : seventy ones, grouped from the left, a tree deeper than the evaluator recurses.
std::string LongSum()
{
    std::string sum = "n";
    for (int i = 0; i < 70; ++i) {
        sum += " + 1";
    }
    return sum;
}

std::vector<std::string> Well()
{
    using L = WellLayout;
    const std::string asked = std::to_string(L::kAskedFlag);
    return {
        // The first run asks for a conversation; the run that follows starts from the top again.
        "CALL @@SendMsg \"Flag\" 0 8 " + asked,
        "IF g.$_ == 0",
        SetFlag(L::kAskedFlag, "1"),
        "CALL @@SendMsg \"MapEvent\" 3",
        "END",
        SetFlag(L::kAskedFlag, "0"),
        "CALL @@SendMsg \"Flag\" 0 8 " + std::to_string(L::kVisitsFlag),
        "visits = g.$_",
        "b.visits = visits + 1",
        SetFlag(L::kVisitsFlag, "b.visits"),
        "n = visits + 2",
        "CALL @@SendMsg \"Text\" 4 \"古井戸\"",
        "CALL @@SendMsg \"Text\" 2 0 2",
        "IF visits == 0",
        Say("深い井戸だ。底は暗くて見えない。／"),
        SetFlag(L::kAnswerFlag, "1"),
        "ELIF visits == 1",
        Say("また井戸をのぞきこんだ。／"),
        SetFlag(L::kAnswerFlag, "2"),
        "ELSE",
        Say("井戸の底で何かが光った。／"),
        SetFlag(L::kAnswerFlag, "3"),
        "END",
        // 1 + ... + n.
        "g.sum = 0",
        "i = 1",
        "WHILE i <= n",
        "g.sum = g.sum + i",
        "i = i + 1",
        "END",
        SetFlag(L::kSumFlag, "g.sum"),
        // Twos while short of 3n.
        "k = 0",
        "REPEAT",
        "k = k + 2",
        "TILL k < ( n * 3 )",
        SetFlag(L::kTwosFlag, "k"),
        // Doubling until past 4n.
        "m = 1",
        "REPEAT",
        "m = m * 2",
        "UNTIL m > ( n * 4 )",
        SetFlag(L::kDoublingFlag, "m"),
        // Laps of threes while short of 4n.
        "c = 0",
        "laps = 0",
        ":again",
        "c = c + 3",
        "laps = laps + 1",
        "IF c < ( n * 4 )",
        "GOTO :again",
        "END",
        SetFlag(L::kLapsFlag, "laps"),
        "GOTO :past",
        SetFlag(L::kSkippedFlag, "1"),
        ":past",
        "signs = ( ( - n ) + 20 ) + ( ( ~ n ) + ( ! visits ) )",
        SetFlag(L::kSignsFlag, "signs"),
        "long = " + LongSum(),
        SetFlag(L::kLongSumFlag, "long"),
        // The same roll on every visit.
        "CALL @@RandomSeed 7",
        "CALL @@Random",
        "roll = g.$_",
        SetFlag(L::kRollFlag, "roll"),
        "CALL @@SendMsg \"Flag\" 0 10",
        SetFlag(L::kBagFlag, "g.$_"),
        "CALL @@SendMsg \"Text\" 1 \"硬貨を投げる\\n井戸をのぞく\\n立ち去る\"",
        "SWITCH g.$_",
        "CASE 0",
        "CALL " + Key("wish") + " 0x0A b.visits n",
        "wish = g.$_",
        SetFlag(L::kWishFlag, "wish"),
        SetFlag(L::kChoiceFlag, "1"),
        "IF wish == 0",
        Say("投げ入れる硬貨が一枚もない。／"),
        "ELSE",
        Say("硬貨は暗い水の底へ沈んでいった。／"),
        "END",
        "CASE 1",
        Say("水面に自分の顔が映っている。／"),
        SetFlag(L::kChoiceFlag, "2"),
        "ELSE",
        SetFlag(L::kChoiceFlag, "3"),
        "END",
        "CALL @@SendMsg \"Text\" 2 1 2",
    };
}

// Takes the coin, $0 from the purse, and answers the wish's number, $0 × $1 + $2; with less than a
// coin in the purse nothing is thrown, and it answers 0.
std::vector<std::string> Wish()
{
    return {
        "CALL @@SendMsg \"Flag\" 0 7",
        "purse = g.$_",
        "IF purse < $0",
        "RETURN 0",
        "END",
        "purse = purse - $0",
        "CALL @@SendMsg \"Flag\" 1 7 purse",
        "wish = ( $0 * $1 ) + $2",
        "RETURN wish",
    };
}

}  // namespace

void AddScriptContent(Catalogue& c)
{
    c.scripts.push_back(WellLayout::kScriptFile);
}

void AddWell(qmtest::FieldMap& town)
{
    town.actionScripts.push_back({WellLayout::Well(), SampleLayout::kSpotRadius, Key("well")});
}

void WriteScriptFiles(const std::filesystem::path& root)
{
    qmtest::ScriptFileWriter writer;
    writer.Script("well", Well());
    writer.Script("wish", Wish());
    std::filesystem::create_directories(root / "data/scr04");
    writer.Save((root / "data/scr04" / WellLayout::kScriptFile).string());
}

}  // namespace sample
