// The story events' share of the sample folder: their sound lists and music, the script file
// "04.pbsc" with the first two events' scripts, and their models.
#include <algorithm>
#include <cstdio>

#include "SampleParts.h"
#include "formats/event_assets.h"
#include "formats/script_assembler.h"

namespace sample {

namespace {

constexpr const char* kScriptFile = "04.pbsc";

std::string Text(const std::string& line)
{
    return "CALL @@SendMsg \"Text\" 0 \"" + line + "／\"";
}

// A line of the narration or of a speaker, then the cue the event takes it at.
void Say(std::vector<std::string>& script, const std::string& name, const std::string& line)
{
    script.push_back("CALL @@SendMsg \"Text\" 3 2");
    script.push_back("CALL @@SendMsg \"Text\" 4 \"" + name + "\"");
    script.push_back(Text(line));
    script.push_back("CALL @@Wait");
}

// The glide: three cues, then a last line while the camera settles.
std::vector<std::string> Event0()
{
    std::vector<std::string> s = {"CALL @@SendMsg \"Text\" 2 0 0"};
    Say(s, "", "昔、この丘には灯の塔が建っていた。");
    Say(s, "", "塔は長い冬のあいだも村を照らした。");
    Say(s, "", "だが冬至の夜、その灯は消えた。");
    s.push_back("CALL @@SendMsg \"Text\" 3 2");
    s.push_back(Text("物語は、塔のふもとの村から始まる。"));
    s.push_back("CALL @@SendMsg \"Text\" 2 1 0");
    return s;
}

// Eight cues over black, one on the first stage, one before the change of stage, then the
// conversation: one cue for each of the faces' 23 changes and a closing one.
std::vector<std::string> Event1()
{
    static const char* const kOpening[] = {
        "灯が消えて、七日が過ぎた。",     "村の井戸は凍り、鳥は鳴かない。",
        "長老たちは毎晩、集会所に集まった。", "答えは、だれにも出せなかった。",
        "そのころ、村はずれの家では……",   "ひとりの若者が眠れずにいた。",
        "窓の外で、何かが光った気がした。", "若者は、幼なじみを起こしに行った。"};
    static const char* const kTalk[][2] = {
        {"ユウ", "起きてたのか、ミオ。"},
        {"ミオ", "ユウこそ。眠れないの？"},
        {"ユウ", "さっきの光、見ただろ。"},
        {"ミオ", "うん。塔のほうだった。"},
        {"ユウ", "灯が戻ったのかもしれない。"},
        {"ミオ", "それなら村じゅう大騒ぎよ。"},
        {"ユウ", "……だよな。"},
        {"ミオ", "でも、確かめたいんでしょ。"},
        {"ユウ", "わかるか。"},
        {"ミオ", "顔に書いてある。"},
        {"ユウ", "長老には内緒だぞ。"},
        {"ミオ", "わたしも行く。"},
        {"ユウ", "危ないかもしれないんだ。"},
        {"ミオ", "だから一人で行かせないの。"},
        {"ユウ", "……まいったな。"},
        {"ミオ", "剣は持った？"},
        {"ユウ", "父さんの古いやつなら。"},
        {"ミオ", "それで十分。"},
        {"ユウ", "夜明けに出よう。"},
        {"ミオ", "西の門から？"},
        {"ユウ", "ああ、見張りが眠い時間だ。"},
        {"ミオ", "決まりね。"},
        {"ユウ", "灯を、取り戻そう。"},
    };
    std::vector<std::string> s = {"CALL @@SendMsg \"Text\" 2 0 0"};
    for (const char* line : kOpening) {
        Say(s, "", line);
    }
    Say(s, "ユウ", "……剣が、光った？");
    Say(s, "", "光はすぐに消え、部屋は暗くなった。");
    for (const auto& line : kTalk) {
        Say(s, line[0], line[1]);
    }
    Say(s, "ミオ", "うん。二人でね。");
    s.push_back("CALL @@SendMsg \"Text\" 2 1 2");
    return s;
}

}  // namespace

void AddEvents(Catalogue& c)
{
    c.soundLists.push_back({"subset/event_se.tbl", qmtest::EventSoundIds()});
    c.soundLists.push_back({"subset/event_bgm.tbl", qmtest::EventMusicIds()});
    for (std::uint32_t id : qmtest::EventSoundIds()) {
        if (std::none_of(c.se.begin(), c.se.end(), [id](const TSoundTableEntry& e) { return e.id == id; })) {
            char name[16];
            std::snprintf(name, sizeof name, "se%03u", static_cast<unsigned>(id));
            c.se.push_back({id, name});
        }
    }
    std::sort(c.se.begin(), c.se.end(), [](const TSoundTableEntry& a, const TSoundTableEntry& b) { return a.id < b.id; });
    for (std::uint32_t id : qmtest::EventMusicIds()) {
        if (std::none_of(c.bgm.begin(), c.bgm.end(), [id](const TSoundTableEntry& e) { return e.id == id; })) {
            c.bgm.push_back({id, "event" + std::to_string(id) + ".ogg"});
        }
    }
    for (const auto& mesh : qmtest::EventMeshes()) {
        c.meshes.push_back(mesh.first);
    }
    c.scripts.push_back(kScriptFile);
}

void WriteEvents(const std::filesystem::path& root)
{
    qmtest::WriteEventMeshes(root.string());
    qmtest::ScriptFileWriter()
        .Script("Event04_00", Event0())
        .Script("Event04_01", Event1())
        .Script("Event04_06", Event6Script())
        .Script("Event04_07", Event7Script())
        .Save((root / "data/scr04" / kScriptFile).string());
}

}  // namespace sample
