// A fresh script folder and manager per test, a module that records what scripts send it, and
// script files rewritten as tools that keep times do.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <time.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "MainCode/Script/ScriptRandom.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptModule.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/TRunState.h"
#include "TCommon/TFile.h"
#include "formats/script_assembler.h"
#include "platform/testing/win32.h"
#include "platform/win32/file.h"
#include "platform/win32/folder_listing.h"
#include "platform/win32/timer.h"
#include "support/temp_dir.h"

namespace scripttest {

// Every call, update and draw appended to a shared trace: "Name:command:arg,arg", "U:Name", "D:Name".
class RecordingModule : public TScriptModule {
public:
    RecordingModule(const std::string& name, std::vector<std::string>* trace, std::uint32_t result = kDone,
                    bool* destroyed = nullptr)
        : TScriptModule(name), m_trace(trace), m_result(result), m_destroyed(destroyed) {}
    ~RecordingModule() override
    {
        if (m_destroyed != nullptr) {
            *m_destroyed = true;
        }
    }

    std::uint32_t Call(std::uint32_t command, const std::deque<std::string>& args,
                       const std::deque<std::uint32_t>& kinds) override
    {
        std::string line = GetName() + ":" + std::to_string(command) + ":";
        for (std::size_t i = 0; i < args.size(); ++i) {
            line += (i != 0 ? "," : "") + args[i];
        }
        m_trace->push_back(line);
        lastArgs = args;
        lastKinds = kinds;
        return m_result;
    }
    void Update() override { m_trace->push_back("U:" + GetName()); }
    void Draw() override { m_trace->push_back("D:" + GetName()); }

    std::deque<std::string> lastArgs;
    std::deque<std::uint32_t> lastKinds;

private:
    std::vector<std::string>* m_trace;
    std::uint32_t m_result;
    bool* m_destroyed;
};

// The clock held still while it lives, where it stood, and moved by hand only (ManualClock).
class StillClock {
public:
    StillClock() { platform::ManualClock::Enable(timeGetTime()); }
    ~StillClock() { platform::ManualClock::Disable(); }
    StillClock(const StillClock&) = delete;
    StillClock& operator=(const StillClock&) = delete;
};

// Every folder listing and file stamp taken a day after the files were written, while it lives:
// all of them settled, so what is read again is what changed, at any pace.
class SettledClock {
public:
    SettledClock()
    {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        now.tv_sec += 86400;
        platform::FeedFolderClock(now);
    }
    ~SettledClock() { platform::FeedFolderClock(std::nullopt); }
    SettledClock(const SettledClock&) = delete;
    SettledClock& operator=(const SettledClock&) = delete;
};

using Scripts = std::vector<std::pair<std::string, std::vector<std::string>>>;

// Rewrites a script file with the scripts and sets its last write time to `written`, as copies that
// keep times and unpackers do: in place, or written beside it and renamed over it. Its change time
// moves on, as nothing sets that back; a rewrite in the very tick of a coarse file-system clock the
// file was last changed in would not show there, so the time is set again until it shows.
inline void Rewrite(const std::string& path, const Scripts& scripts, bool renamed,
                    std::filesystem::file_time_type written)
{
    struct stat before {};
    ::stat(path.c_str(), &before);
    qmtest::ScriptFileWriter writer;
    for (const auto& script : scripts) {
        writer.Script(script.first, script.second);
    }
    writer.Save(renamed ? path + ".new" : path);
    if (renamed) {
        std::filesystem::rename(path + ".new", path);
    }
    for (int i = 0; i < 1000000; ++i) {
        std::filesystem::last_write_time(path, written);
        struct stat after {};
        ::stat(path.c_str(), &after);
        if (after.st_ino != before.st_ino || after.st_ctim.tv_sec != before.st_ctim.tv_sec ||
            after.st_ctim.tv_nsec != before.st_ctim.tv_nsec) {
            return;
        }
    }
}

// The line that sends command n to the "T" module.
inline std::string Mark(int n)
{
    return "CALL @@SendMsg \"T\" " + std::to_string(n);
}

// On any fixture base: a plain test, or a real application for the modules the field hosts.
template <class Base>
class ScriptTestOn : public Base {
protected:
    void SetUp() override
    {
        Base::SetUp();
        ResetScripting();
    }
    void TearDown() override
    {
        TScriptProcessManager::Destroy();
        TScript::SetDirectory("");
        Base::TearDown();
    }
    // The script folder and a fresh manager with the recording module "T" (again after something
    // else made and dropped a manager of its own); the scripts' generator as a run starts it.
    void ResetScripting()
    {
        TScript::SetDirectory(m_directory);
        m_manager = TScriptProcessManager::Create();
        m_manager->AddModule(new RecordingModule("T", &m_trace));
        SeedScriptRandom(1);
    }

    // Scripts read from where the game keeps them, "data/scr04/" below the working folder, that
    // folder the test's own: the paths asked of the system, priced by name, then cost the same on
    // any machine, wherever it keeps its temporary files. Starts the scripting afresh.
    void ReadFromGameFolder()
    {
        m_scripts = m_dir.Path() / "data" / "scr04";
        std::filesystem::create_directories(m_scripts);
        m_cwd.emplace(m_dir.Path());
        m_directory = "data/scr04/";
        ResetScripting();
    }

    // The file of that name in the folder the scripts are read from.
    std::string ScriptFile(const std::string& name) const { return (m_scripts / name).string(); }

    // Writes "t.pbsc" with the named scripts.
    void Write(const std::vector<std::pair<std::string, std::vector<std::string>>>& scripts,
               const std::string& file = "t.pbsc")
    {
        qmtest::ScriptFileWriter writer;
        for (const auto& script : scripts) {
            writer.Script(script.first, script.second);
        }
        writer.Save(ScriptFile(file));
    }

    // Writes the script "main", pushes it and steps the manager once.
    std::uint32_t Run(const std::vector<std::string>& lines)
    {
        Write({{"main", lines}});
        m_manager->Push("t.pbsc/main");
        return m_manager->Step();
    }

    std::int32_t Global(const std::string& name) { return m_manager->GetGlobalA().GetInt(name, 0); }

    // The commands "T" received, in order, as "1 2 3".
    std::string Marks() const
    {
        std::string out;
        for (const std::string& line : m_trace) {
            if (line.rfind("T:", 0) == 0) {
                const std::string command = line.substr(2, line.find(':', 2) - 2);
                out += (out.empty() ? "" : " ") + command;
            }
        }
        return out;
    }

    // Files and folders just written, taken as settled: what is read again is what changed, at
    // any pace (a test of the clock's rule feeds its own).
    SettledClock m_settled;
    // A run of the case's own (an application the base starts keeps its own over it).
    TRunState m_run;
    qmtest::TempDir m_dir;
    // The scripts' folder as TScript is told it, and on the disk.
    std::string m_directory = m_dir.Path().string() + "/";
    std::filesystem::path m_scripts = m_dir.Path();
    // Left before the folder is removed.
    std::optional<qmtest::ScopedCwd> m_cwd;
    TScriptProcessManager* m_manager = nullptr;
    std::vector<std::string> m_trace;
};

using ScriptTest = ScriptTestOn<::testing::Test>;

}  // namespace scripttest
