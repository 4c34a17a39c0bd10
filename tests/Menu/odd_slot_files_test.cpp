// A FIFO, a folder and a socket under the names of save slots, in this game's save folder and in an
// earlier chapter's: the load page, the save page and the carry-over page read them without waiting
// on them and show each as a slot that cannot be read; a signal still ends the game afterwards. A
// save folder that is missing altogether shows empty slots.
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "Menu/save_screen_fixture.h"
#include "formats/byte_writer.h"
#include "support/menu_probe.h"

namespace savetest {
namespace {

// Makes slots 0 (FIFO), 1 (folder) and 2 (socket) of the folder; the socket stays bound meanwhile.
// Nothing writes to the FIFO: a game that waits in its open hangs here until the test's time limit.
class SpecialSlots {
public:
    explicit SpecialSlots(const std::function<fs::path(std::int32_t)>& slot)
    {
        fs::create_directories(slot(0).parent_path());
        EXPECT_EQ(mkfifo(slot(0).c_str(), 0644), 0);
        fs::create_directory(slot(1));
        socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = slot(2).string();
        EXPECT_LT(path.size(), sizeof address.sun_path);
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    ~SpecialSlots() { ::close(socket_); }

private:
    int socket_ = -1;
};

constexpr std::int32_t kUnreadable = 3;
constexpr const char* kUnreadableLine = "ファイルの読み取りに失敗しました。";

TEST_F(SaveScreens, SpecialFilesUnderSlotNamesShowAsUnreadableAndASignalStillEndsTheGame)
{
    SpecialSlots own([this](std::int32_t slot) { return SlotPath(slot); });
    SpecialSlots earlier([this](std::int32_t slot) { return SlotPath(slot, 2); });
    Write(3, Slot::Own);
    Write(3, Slot::Chapter2, 2);
    const struct {
        const char* what;
        std::function<TSaveLoadLoop*()> make;
    } pages[] = {
        {"load", [this] { return TSaveLoadLoop::CreateLoad(Driver().App()); }},
        {"save", [this] { return TSaveLoadLoop::CreateSave(Driver().App()); }},
        {"carry-over", [this] { return TSaveLoadLoop::CreateCarryOver(Driver().App(), 2); }},
    };
    for (const auto& p : pages) {
        SCOPED_TRACE(p.what);
        TSaveLoadLoop* screen = Open(p.make());
        ASSERT_TRUE(TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)));
        for (std::int32_t row = 0; row < 3; ++row) {
            EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), row), kUnreadable) << row;
            EXPECT_TRUE(ShowsSlotLine(TMenuProbe::RowText(TMenuProbe::SlotPage(*screen), row), row, kUnreadableLine))
                << row;
        }
        EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 3), 0);
        EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 4), 1);
        Driver().App()->PopScenesTo(1);
        Driver().Step();
    }
    // The signal a desktop sends on logout closes the window and quits, as from the title.
    Open(TSaveLoadLoop::CreateLoad(Driver().App()));
    struct sigaction installed {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &installed), 0);
    ASSERT_NE(installed.sa_handler, SIG_DFL) << "no handler would turn the signal into a close";
    ASSERT_EQ(raise(SIGTERM), 0);
    bool quit = false;
    MSG msg;
    for (int i = 0; i < 100 && !quit; ++i) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            quit = quit || msg.message == WM_QUIT;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!quit) {
            Driver().Step();
        }
    }
    EXPECT_TRUE(quit);
}

// A save folder that is not there (removed after start-up, a plain file standing in its place, an
// earlier chapter never installed) holds no saves: every row of the page reads "Empty", not a
// failed read.
TEST_F(SaveScreens, SlotsOfAMissingSaveFolderShowAsEmpty)
{
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::function<TSaveLoadLoop*()> make;
    } cases[] = {
        {"load, own folder removed", [this] { fs::remove_all(game_ / "save"); },
         [this] { return TSaveLoadLoop::CreateLoad(Driver().App()); }},
        {"save, own folder removed", [this] { fs::remove_all(game_ / "save"); },
         [this] { return TSaveLoadLoop::CreateSave(Driver().App()); }},
        {"load, a file in the folder's place", [this] { qmtest::SaveBytes((game_ / "save").string(), {1, 2, 3}); },
         [this] { return TSaveLoadLoop::CreateLoad(Driver().App()); }},
        {"carry-over, chapter 2 never installed", [] {},
         [this] { return TSaveLoadLoop::CreateCarryOver(Driver().App(), 2); }},
    };
    ASSERT_FALSE(fs::exists(SlotPath(0, 2).parent_path().parent_path()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        TSaveLoadLoop* screen = Open(c.make());
        ASSERT_TRUE(TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)));
        for (std::int32_t row = 0; row < 5; ++row) {
            EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), row), 1) << row;
            EXPECT_TRUE(ShowsSlotLine(TMenuProbe::RowText(TMenuProbe::SlotPage(*screen), row), row, "Empty")) << row;
        }
        Driver().App()->PopScenesTo(1);
        Driver().Step();
        fs::remove_all(game_ / "save");
    }
}

}  // namespace
}  // namespace savetest
