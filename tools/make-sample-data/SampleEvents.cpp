// The story events' share of the sample folder: their sound lists and music, the script file
// "04.pbsc" with the events' scripts, their models, and the fields the later events end on with
// the town in "04.pbms" and the boxes that start the events.
#include <algorithm>
#include <cstdio>

#include "SampleParts.h"
#include "formats/byte_writer.h"
#include "formats/event_assets.h"
#include "formats/field_writer.h"
#include "formats/map_writer.h"
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

// Lines of a talk, one cue each (the last the closing one), in a window opened and closed around them.
std::vector<std::string> Talk(const std::vector<std::pair<const char*, const char*>>& lines)
{
    std::vector<std::string> s = {"CALL @@SendMsg \"Text\" 2 0 0"};
    for (const auto& [name, line] : lines) {
        Say(s, name, line);
    }
    s.push_back("CALL @@SendMsg \"Text\" 2 1 2");
    return s;
}

// Among the ghost knights in the mist: three cues change the faces, the fourth closes.
std::vector<std::string> Event2()
{
    return Talk({{"ミオ", "霧の中に……だれかいる。"},
                 {"ユウ", "鎧の騎士？　でも、透けてる。"},
                 {"ミオ", "囲まれてるわ。動かないで。"},
                 {"", "騎士たちは、二人を見つめたまま揺れている。"}});
}

// On the same ground once the knights have gone.
std::vector<std::string> Event3()
{
    return Talk({{"ユウ", "消えた……今のは何だったんだ。"},
                 {"ミオ", "塔を守っていた人たちかもしれない。"},
                 {"ユウ", "灯が消えて、迷ってるのか。"},
                 {"ミオ", "行きましょう。先に進めば分かるわ。"}});
}

// In the cave with the black-clad stranger: fifteen cues, then the closing one.
std::vector<std::string> Event4()
{
    return Talk({{"？？？", "ここまで来るとはな。"},       {"ユウ", "だれだ！"},
                 {"？？？", "灯を消した者、と言えば分かるか。"}, {"ミオ", "あなたが……！"},
                 {"？？？", "冬至の灯は、もう要らぬのだ。"},   {"ユウ", "村は凍えているんだぞ。"},
                 {"？？？", "凍えればよい。春を待てばよい。"}, {"ミオ", "春は、灯がなければ来ない。"},
                 {"？？？", "古い言い伝えだ。"},                {"ユウ", "言い伝えでも、守ってきたんだ。"},
                 {"？？？", "守って、何が残った。"},            {"ミオ", "村の人たちの暮らしよ。"},
                 {"？？？", "……口の減らぬ娘だ。"},             {"ユウ", "灯を返してもらう。"},
                 {"？？？", "ならば、奥まで来るがいい。"},      {"", "黒い影は、洞の奥へ消えた。"}});
}

// Deeper in the cave: twenty-three cues (the sixth sets the blast off), then the closing one.
std::vector<std::string> Event5()
{
    return Talk({{"ユウ", "待て！"},
                 {"赤い男", "騒がしい客だな。"},
                 {"？？？", "こいつらが、灯を取り戻しに来た。"},
                 {"赤い男", "ほう。子供が二人か。"},
                 {"ミオ", "子供じゃないわ。"},
                 {"赤い男", "では、これを受けてみよ。"},
                 {"ユウ", "うわっ！"},
                 {"ミオ", "ユウ、大丈夫！？"},
                 {"ユウ", "ああ……なんとか。"},
                 {"赤い男", "今のをしのぐか。"},
                 {"？？？", "手加減をしたのだろう。"},
                 {"赤い男", "さて、どうかな。"},
                 {"ミオ", "灯はどこ？"},
                 {"赤い男", "この奥の祭壇だ。"},
                 {"ユウ", "素直に教えるんだな。"},
                 {"赤い男", "たどり着けはせぬからな。"},
                 {"？？？", "行くぞ。"},
                 {"赤い男", "ああ。"},
                 {"ミオ", "逃げるの！？"},
                 {"赤い男", "待っているぞ、祭壇でな。"},
                 {"ユウ", "……行こう、ミオ。"},
                 {"ミオ", "ええ。"},
                 {"ユウ", "灯は、必ず取り戻す。"},
                 {"", "二人は、洞のさらに奥へ向かった。"}});
}

}  // namespace

qmtest::FieldScriptBox SampleLayout::TownWayOn()
{
    qmtest::FieldScriptBox box = qmtest::TownStoryBox();
    box.minimum = {-15.0F, -2.0F, 14.0F};
    box.maximum = {-12.0F, 4.0F, 20.0F};
    return box;
}

namespace {

// The folder's maps and the fields of the later events under one container: the town's box starts
// the first of them, each of their boxes the next.
std::vector<qmtest::MapEntry> StoryMapEntries(std::vector<qmtest::FieldMap> maps)
{
    std::vector<qmtest::MapEntry> entries;
    for (qmtest::FieldMap& map : maps) {
        if (map.entry == "t04_00") {
            map.scriptBoxes.push_back(SampleLayout::TownWayOn());
        }
        entries.push_back({map.entry, qmtest::FieldMapStream(map).Data()});
    }
    for (qmtest::MapEntry& entry : qmtest::StoryFieldEntries(true)) {
        entries.push_back(std::move(entry));
    }
    return entries;
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
    for (const char* ground : {"map04/m07_00.msh", "map04/_m07_00.msh", "map04/d05_00.msh", "map04/_d05_00.msh"}) {
        c.meshes.push_back(ground);
    }
    for (const qmtest::StoryField& field : qmtest::StoryFields()) {
        c.maps.push_back(std::string(qmtest::kStoryMapFile) + "/" + field.entry);
    }
    c.scripts.push_back(kScriptFile);
    c.scripts.push_back(qmtest::kStoryBoxScripts);
}

void WriteEvents(const std::filesystem::path& root)
{
    qmtest::WriteEventMeshes(root.string());
    qmtest::ScriptFileWriter()
        .Script("Event04_00", Event0())
        .Script("Event04_01", Event1())
        .Script("Event04_02", Event2())
        .Script("Event04_03", Event3())
        .Script("Event04_04", Event4())
        .Script("Event04_05", Event5())
        .Script("Event04_06", Event6Script())
        .Script("Event04_07", Event7Script())
        .Save((root / "data/scr04" / kScriptFile).string());
    qmtest::WriteStoryFields(root.string(), true);
    qmtest::SaveBytes((root / "data/scr04" / qmtest::kStoryMapFile).string(),
                      qmtest::MapContainer(StoryMapEntries(SampleMaps())));
}

}  // namespace sample
