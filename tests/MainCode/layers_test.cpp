// The map, the scripts and the game data sit below the screens: none of their files includes from
// Menu/, Scene/ or Hud/. What they ask of those goes through the low headers (SceneRequests.h,
// FieldHud.h, CreateEventLoop), defined above.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The folder above the lower layers that an include line reaches into, or "" for none.
std::string UpperFolderOf(const std::string& line)
{
    // "#", "include" and the quoted or bracketed name, blanks allowed between them.
    std::size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '#') {
        return {};
    }
    at = line.find_first_not_of(" \t", at + 1);
    const std::string keyword = "include";
    if (at == std::string::npos || line.compare(at, keyword.size(), keyword) != 0) {
        return {};
    }
    at = line.find_first_not_of(" \t", at + keyword.size());
    if (at == std::string::npos || (line[at] != '"' && line[at] != '<')) {
        return {};
    }
    const std::size_t end = line.find(line[at] == '"' ? '"' : '>', at + 1);
    if (end == std::string::npos) {
        return {};
    }
    const fs::path target(line.substr(at + 1, end - at - 1));
    for (const fs::path& part : target.parent_path()) {
        if (part == "Menu" || part == "Scene" || part == "Hud") {
            return part.string();
        }
    }
    return {};
}

TEST(Layers, AnIncludeIntoAScreenFolderIsTold)
{
    const struct {
        const char* line;
        const char* folder;
    } cases[] = {
        {"#include \"MainCode/Hud/TGetRender.h\"", "Hud"},
        {"#include \"MainCode/Menu/TShopLoop.h\"", "Menu"},
        {"#include \"MainCode/Scene/TTitleLoop.h\"", "Scene"},
        {"  #  include \"../Hud/TItemRing.h\"", "Hud"},
        {"#include <Scene/TDieLoop.h>", "Scene"},
        {"#include \"MainCode/FieldHud.h\"", ""},
        {"#include \"MainCode/SceneRequests.h\"", ""},
        {"#include \"MainCode/Map/TFieldLoop.h\"", ""},
        {"#include \"Hud.h\"", ""},
        {"// the notices (MainCode/Hud/TGetRender.h)", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UpperFolderOf(c.line), c.folder) << c.line;
    }
}

TEST(Layers, TheMapTheScriptsAndTheGameDataIncludeNoScreen)
{
    std::size_t scanned = 0;
    std::vector<std::string> offenders;
    for (const char* folder : {"Map", "Script", "GameData"}) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(QM_SOURCE_DIR) / "MainCode" / folder)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) {
                continue;
            }
            ++scanned;
            std::ifstream in(entry.path());
            std::string line;
            while (std::getline(in, line)) {
                if (!UpperFolderOf(line).empty()) {
                    offenders.push_back(entry.path().filename().string() + ": " + line);
                }
            }
        }
    }
    EXPECT_GT(scanned, 50u);
    for (const std::string& offender : offenders) {
        ADD_FAILURE() << offender;
    }
}

}  // namespace
