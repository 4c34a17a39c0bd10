// The one entry point of scripting: the running scripts (newest first), the modules they call
// and the two global variable tables. Each scene that runs scripts makes a fresh one with Create.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptFile.h"
#include "MainCode/Script/TScriptModule.h"
#include "MainCode/Script/TScriptVarTable.h"
#include "TCommon/TRefPtr.h"

class TScriptProcessManager {
    friend struct TScriptProbe;
public:
    // Step results.
    static constexpr std::uint32_t kHeld = 3;       // scripts alive but waiting: update the modules
    static constexpr std::uint32_t kFinished = 4;   // no script left
    static constexpr std::uint32_t kCancelled = 16;

    // Scripts calling scripts queue no deeper than this.
    static constexpr std::size_t kMaxTasks = 256;

    TScriptProcessManager();
    virtual ~TScriptProcessManager();
    TScriptProcessManager(const TScriptProcessManager&) = delete;
    TScriptProcessManager& operator=(const TScriptProcessManager&) = delete;

    // Replaces the current manager (with its scripts, modules and globals) by a new one, all flags clear.
    static TScriptProcessManager* Create();
    // Null before the first Create and after Destroy. While a scene runs the manager it made
    // (Running), that one: what runs in it reaches it, not one a later scene has made meanwhile.
    static TScriptProcessManager* Get() { return s_running != nullptr ? s_running : s_instance.Get(); }
    // A share of the current manager, for a scene that steps it after later scenes have made
    // their own: it lives as long as the scene holds the share.
    static TRefPtr<TScriptProcessManager> Share() { return s_instance; }
    // Lets go of the current manager; a scene still holding a share keeps it.
    static void Destroy();
    // "$_" of the current manager's table A; nothing without a manager.
    static void SetResultVariable(std::int32_t value);

    // Reads the script and puts it in front of every queued one; null (and logged) when the
    // queue is full. The manager forgets what it held of the script's file: what runs next comes
    // from this read.
    TScript* Push(const std::string& key);
    // The same for a script that a running one calls: a manager reads and parses it once, and
    // every task of it (a CALL in a loop, a script calling itself) shares those statements, each
    // with its own position and locals. A file part is looked at in the first frame that calls it:
    // when it no longer leads to the file as its scripts were read, they are read anew. Null too
    // while the system is still reading a folder to find the file: the CALL gives the frame back
    // (GaveFrameBack) and runs again in the next.
    TScript* PushCalled(const std::string& key);
    // Runs statements until one holds the scripts or none is left. Each call is a frame. Scripts whose
    // own work since they last held uses up a frame's work (ScriptPrice) are all ended (logged),
    // however long it took; a frame the folders read for CALLs helped fill holds them instead, and
    // what did not fit goes on in the next.
    std::uint32_t Step();
    // The same for a run that is stepped once and dropped (a villager's set-up, a map object's probe;
    // no play frame): a CALL reads its folder to the end, and only the scripts' own work ends the run.
    std::uint32_t RunOnce();
    // Whether the last Step ended, held, because of a folder read for a CALL: stopped to go on in
    // the next frame, or what came after it did not fit in this one.
    bool GaveFrameBack() const { return m_gaveFrameBack; }
    // Takes a queued task out (a held one whose caller is done with it).
    void RemoveTask(const TScript* script);

    // The manager owns the module from now on.
    void AddModule(TScriptModule* module);
    void SetModule(const TRefPtr<TScriptModule>& module);
    void RemoveModule(const std::string& name);
    TScriptModule* FindModule(const std::string& name) const;
    std::uint32_t CallModule(const std::string& name, std::uint32_t command, const std::deque<std::string>& args,
                             const std::deque<std::uint32_t>& kinds);
    void UpdateModules();
    void DrawModules();

    // Drops every script, module and global variable; the module wait is set again.
    void Clear();

    // For as long as it lives, Get answers this manager (nested: the one before comes back).
    class Running {
    public:
        explicit Running(TScriptProcessManager* manager) : m_previous(s_running) { s_running = manager; }
        ~Running() { s_running = m_previous; }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;

    private:
        TScriptProcessManager* m_previous;
    };

    TScriptVarTable& GetGlobalA() { return m_globalA; }
    TScriptVarTable& GetGlobalB() { return m_globalB; }

    std::uint8_t GetHostWait() const { return m_hostWait; }
    void SetHostWait(std::uint8_t value) { m_hostWait = value; }
    void SetModuleWait(std::uint8_t value) { m_moduleWait = value; }
    std::uint8_t GetStop() const { return m_stop; }
    void SetStop(std::uint8_t value) { m_stop = value; }
    void SetCancel(std::uint8_t value) { m_cancel = value; }

private:
    struct Task {
        TRefPtr<TScript> script;
        // Started by a CALL: nobody outside holds it, so the object may be taken up again.
        bool called;
    };

    // A script file as the manager knows it, whatever file parts reached it, with the scripts read
    // from it.
    struct KnownFile {
        std::unique_ptr<TScriptFile> file;
        // Script names to their statements, a name the file lacks included (logged once).
        std::map<std::string, TRefPtr<TScript>, std::less<>> scripts;
        // What the depth of `scripts` adds to each look-up in it (ScriptWork).
        std::uint64_t levels = 0;
        // The file parts that lead to it now.
        std::size_t spellings = 0;
        std::pair<std::uint64_t, std::uint64_t> id;
    };
    using FileId = std::pair<std::uint64_t, std::uint64_t>;
    // A file part as the scripts spell it.
    struct Spelling {
        // Null while it leads to no file that opens, for the error kept.
        KnownFile* file = nullptr;
        DWORD error = 0;
        // The frame it was last looked at in.
        std::uint64_t lookedAt = 0;
        // The names called while it led to no file (logged once).
        std::map<std::string, TRefPtr<TScript>, std::less<>> unopened;
        // Its last opening was given back while a folder was read for it.
        bool pending = false;
    };

    std::uint32_t Run(bool once);
    std::uint32_t RunFrame(bool once);
    TScript* Queue(const std::string& key, bool pushed);
    // The statements the key names now; null while a folder read goes on in a later frame.
    TRefPtr<TScript> Script(const std::string& key, bool pushed);
    // The key's parts are looked up where they lie in it: a CALL in a loop copies no text.
    TRefPtr<TScript> ScriptOfFile(const std::string& key, std::string_view filePart, std::string_view name,
                                  bool pushed);
    // The file the opening found, as known (read again when new, changed or pushed); `looked`:
    // its file part was looked at already this frame.
    KnownFile& FileOf(TScriptFileOpening& opening, bool pushed, bool looked);
    void Lead(Spelling& spelling, KnownFile* file);
    // The script of the name kept where the file part leads (its file's scripts, or those called
    // while it led to none); null when there is none yet.
    const TRefPtr<TScript>* Known(Spelling& spelling, std::string_view name);
    // Reads the script of the name and keeps it there: from the opening when it is open, from the
    // directory alone without one. One that cannot be read (its file not opened, the name missing
    // in it, a broken directory or body) is an empty script, logged once.
    const TRefPtr<TScript>& Made(Spelling& spelling, const std::string& key, std::string_view filePart,
                                 std::string_view name, TScriptFileOpening* opening);
    // Calls Update or Draw of each module in name order; a module may add or remove modules meanwhile.
    void VisitModules(void (TScriptModule::*visit)());

    std::uint8_t m_hostWait = 0;
    std::uint8_t m_moduleWait = 1;
    std::uint8_t m_stop = 0;
    std::uint8_t m_cancel = 0;
    std::deque<Task> m_tasks;
    // Called tasks that ended, kept for the next CALL: a CALL in a loop allocates no task.
    std::vector<TRefPtr<TScript>> m_spareTasks;
    // Keys without a file part (each an empty script, logged once).
    std::map<std::string, TRefPtr<TScript>> m_unfiled;
    // The file parts called, and the files they lead to, by volume and index.
    std::map<std::string, Spelling, std::less<>> m_spellings;
    std::map<FileId, KnownFile> m_files;
    // What the depth of m_spellings adds to each look-up in it (ScriptWork).
    std::uint64_t m_spellingLevels = 0;
    // Frames stepped: a file part is looked at no more than once in one.
    std::uint64_t m_frame = 1;
    bool m_gaveFrameBack = false;
    // The scripts' own work (ScriptPrice units) since they last held or ended: frames given back
    // carry it on.
    std::uint64_t m_ownWork = 0;
    TScriptVarTable m_globalA;
    TScriptVarTable m_globalB;
    std::map<std::string, TRefPtr<TScriptModule>> m_modules;

    static TRefPtr<TScriptProcessManager> s_instance;
    static TScriptProcessManager* s_running;
};
