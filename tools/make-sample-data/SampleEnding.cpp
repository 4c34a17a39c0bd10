// The end of the story's share of the sample folder: the scripts of events 306 and 307 and the
// ending's pictures with the maker logo.
#include "SampleParts.h"
#include "formats/ending_assets.h"

namespace sample {

namespace {

void Say(std::vector<std::string>& script, const std::string& name, const std::string& line)
{
    script.push_back("CALL @@SendMsg \"Text\" 3 2");
    script.push_back("CALL @@SendMsg \"Text\" 4 \"" + name + "\"");
    script.push_back("CALL @@SendMsg \"Text\" 0 \"" + line + "／\"");
    script.push_back("CALL @@Wait");
}

}  // namespace

// Nine cues of the four at the shrine (the flash comes with the seventh and eighth) and the
// closing shot's.
std::vector<std::string> Event6Script()
{
    static const char* const kLines[][2] = {
        {"ユウ", "ここが、塔の灯の眠る場所……"},
        {"ミオ", "だれか、いる。"},
        {"赤の騎士", "よくぞここまで来た。"},
        {"銀の騎士", "灯を返してほしいのだろう。"},
        {"ユウ", "村が凍えているんだ。"},
        {"赤の騎士", "ならば、その剣を掲げよ。"},
        {"", "剣が、まばゆい光を放った。"},
        {"ミオ", "……光が、塔へ昇っていく！"},
        {"銀の騎士", "灯はおまえたちのものだ。"},
        {"ユウ", "ありがとう。帰ろう、ミオ。"},
    };
    std::vector<std::string> s = {"CALL @@SendMsg \"Text\" 2 0 0"};
    for (const auto& line : kLines) {
        Say(s, line[0], line[1]);
    }
    s.push_back("CALL @@SendMsg \"Text\" 2 1 0");
    return s;
}

// Four lines over the flight; the last stays up while the picture fades.
std::vector<std::string> Event7Script()
{
    std::vector<std::string> s = {"CALL @@SendMsg \"Text\" 2 0 0"};
    Say(s, "", "塔に灯がともり、村に春が来た。");
    Say(s, "", "井戸の氷は溶け、鳥がまた鳴きはじめた。");
    Say(s, "", "二人の旅の話は、長く語りつがれた。");
    Say(s, "", "そして灯は、今も丘の上で村を照らしている。");
    s.push_back("CALL @@SendMsg \"Text\" 2 1 0");
    return s;
}

void WriteEnding(const std::filesystem::path& root)
{
    qmtest::WriteEndingPictures(root.string());
}

}  // namespace sample
