#include "MainCode/Script/TScriptProcessManager.h"

#include <algorithm>

#include "MainCode/Script/ScriptCommon.h"

TRefPtr<TScriptProcessManager> TScriptProcessManager::s_instance;
TScriptProcessManager* TScriptProcessManager::s_running = nullptr;

TScriptProcessManager::TScriptProcessManager() = default;

TScriptProcessManager::~TScriptProcessManager()
{
    Clear();
}

TScriptProcessManager* TScriptProcessManager::Create()
{
    s_instance = TRefPtr<TScriptProcessManager>(new TScriptProcessManager);
    TScriptProcessManager* manager = s_instance.Get();
    manager->m_moduleWait = 0;
    manager->m_stop = 0;
    manager->m_cancel = 0;
    return manager;
}

void TScriptProcessManager::Destroy()
{
    if (s_instance.IsOwned()) {
        s_instance = TRefPtr<TScriptProcessManager>();
    }
}

void TScriptProcessManager::SetResultVariable(std::int32_t value)
{
    if (TScriptProcessManager* manager = Get()) {
        manager->m_globalA.SetInt("$_", value);
    }
}

TScript* TScriptProcessManager::Push(const std::string& key)
{
    return Queue(key, true);
}

TScript* TScriptProcessManager::PushCalled(const std::string& key)
{
    return Queue(key, false);
}

TScript* TScriptProcessManager::Queue(const std::string& key, bool pushed)
{
    if (m_tasks.size() >= kMaxTasks) {
        ScriptLog("too many scripts waiting; \"" + key + "\" not started");
        return nullptr;
    }
    // Tasks still running an earlier load keep it.
    const TRefPtr<TScript> loaded = Script(key, pushed);
    if (loaded.Get() == nullptr) {
        m_gaveFrameBack = true;
        return nullptr;
    }
    if (!pushed && !m_spareTasks.empty()) {
        m_tasks.push_front(Task{m_spareTasks.back(), true});
        m_spareTasks.pop_back();
        m_tasks.front().script->Restart(loaded);
    } else {
        m_tasks.push_front(Task{TRefPtr<TScript>(new TScript(loaded)), !pushed});
    }
    return m_tasks.front().script.Get();
}

TRefPtr<TScript> TScriptProcessManager::Script(const std::string& key, bool pushed)
{
    // Split as TScript::SplitKey splits it.
    const std::size_t slash = key.find('/');
    if (slash != std::string::npos && slash != 0) {
        const std::string_view whole(key);
        return ScriptOfFile(key, whole.substr(0, slash), whole.substr(slash + 1), pushed);
    }
    // A key without a file part is only ever itself.
    if (pushed) {
        m_unfiled.erase(key);
    }
    auto [unfiled, added] = m_unfiled.try_emplace(key);
    if (added) {
        ScriptWork::Count(ScriptPrice::kNewEntry + ScriptPrice::kScriptRead);
        unfiled->second = TRefPtr<TScript>(new TScript(key));
    }
    return unfiled->second;
}

TRefPtr<TScript> TScriptProcessManager::ScriptOfFile(const std::string& key, std::string_view filePart,
                                                     std::string_view name, bool pushed)
{
    // The key's own bytes are the CALL's to pay.
    ScriptWork::Count(m_spellingLevels);
    auto at = m_spellings.find(filePart);
    const bool added = at == m_spellings.end();
    if (added) {
        at = m_spellings.emplace(std::string(filePart), Spelling()).first;
        ScriptWork::Count(ScriptPrice::kNewEntry);
        m_spellingLevels = ScriptPrice::Levels(m_spellings.size());
    }
    Spelling& spelling = at->second;
    // A file part is looked at in the first frame that calls it after the one it was read or
    // looked at in: a CALL in a loop costs no more, and an edited script runs as it is now the next
    // time its event comes. Within the frame, the directory read or looked at answers: only a body
    // not read yet opens the file again.
    const bool looked = !added && spelling.lookedAt == m_frame;
    if (looked && !pushed) {
        if (const TRefPtr<TScript>* known = Known(spelling, name)) {
            return *known;
        }
        std::uint32_t offset = 0;
        if (spelling.file == nullptr || spelling.file->file->Find(name, offset) != TScriptFile::kFound) {
            return Made(spelling, key, filePart, name, nullptr);
        }
    }
    const TScriptFileOpening::Purpose purpose = pushed  ? TScriptFileOpening::kPushed
                                                : added  ? TScriptFileOpening::kFirstCall
                                                : looked ? TScriptFileOpening::kBody
                                                         : TScriptFileOpening::kLook;
    // A scene's push cannot wait for a later frame. A CALL given back goes on with the look it paid
    // for.
    TScriptFileOpening opening(TScript::GetDirectory() + std::string(filePart),
                               spelling.pending ? TScriptFileOpening::kResumed : purpose,
                               pushed ? UINT64_MAX : ScriptWork::FrameEnd());
    spelling.pending = opening.Pending();
    if (spelling.pending) {
        return TRefPtr<TScript>();
    }
    spelling.lookedAt = m_frame;
    if (opening.IsOpen()) {
        spelling.unopened.clear();
        Lead(spelling, &FileOf(opening, pushed, looked));
    } else {
        spelling.error = opening.Error();
        // Gone since it was read or looked at this frame, it still leads to its file: what was read
        // of it runs to the frame's end, and the next frame's look finds it gone.
        if (!looked || pushed) {
            Lead(spelling, nullptr);
        }
        // A scene's push logs its failure again.
        if (pushed) {
            if (auto unopened = spelling.unopened.find(name); unopened != spelling.unopened.end()) {
                spelling.unopened.erase(unopened);
            }
        }
    }
    // A file part looked at this frame paid for the look-up of the name above.
    if (!looked) {
        if (const TRefPtr<TScript>* known = Known(spelling, name)) {
            return *known;
        }
    }
    return Made(spelling, key, filePart, name, &opening);
}

const TRefPtr<TScript>* TScriptProcessManager::Known(Spelling& spelling, std::string_view name)
{
    if (spelling.file == nullptr) {
        auto unopened = spelling.unopened.find(name);
        return unopened != spelling.unopened.end() ? &unopened->second : nullptr;
    }
    KnownFile& file = *spelling.file;
    ScriptWork::Count(file.levels);
    auto found = file.scripts.find(name);
    return found != file.scripts.end() ? &found->second : nullptr;
}

const TRefPtr<TScript>& TScriptProcessManager::Made(Spelling& spelling, const std::string& key,
                                                    std::string_view filePart, std::string_view name,
                                                    TScriptFileOpening* opening)
{
    ScriptWork::Count(ScriptPrice::kNewEntry + ScriptPrice::kScriptRead);
    const bool readable = opening != nullptr ? opening->IsOpen() : spelling.file != nullptr;
    const TRefPtr<TScript> script(readable ? new TScript(key, *spelling.file->file, opening)
                                           : new TScript(key, TScript::GetDirectory() + std::string(filePart),
                                                         spelling.error));
    if (spelling.file == nullptr) {
        return spelling.unopened.emplace(std::string(name), script).first->second;
    }
    KnownFile& file = *spelling.file;
    const TRefPtr<TScript>& kept = file.scripts.emplace(std::string(name), script).first->second;
    file.levels = ScriptPrice::Levels(file.scripts.size());
    return kept;
}

TScriptProcessManager::KnownFile& TScriptProcessManager::FileOf(TScriptFileOpening& opening, bool pushed,
                                                                bool looked)
{
    const platform::FileStamp& stamp = opening.Stamp();
    const FileId id(stamp.volume, stamp.index);
    KnownFile& file = m_files[id];
    // New, rewritten since its scripts were read, or a scene's push: what runs next is read now. A
    // change hidden in the tick it was read in is looked for once a frame, not at each body.
    const auto unchanged = [&](const platform::FileStamp& kept) {
        if (!looked) {
            return platform::SameState(kept, stamp);
        }
        return platform::SameFile(kept, stamp) && kept.size == stamp.size && kept.written == stamp.written &&
               kept.changed == stamp.changed;
    };
    if (file.file == nullptr || pushed || !unchanged(file.file->Stamp())) {
        if (!file.scripts.empty()) {
            file.scripts.clear();
            // Ended tasks may still hold what was forgotten.
            m_spareTasks.clear();
        }
        file.levels = 0;
        file.id = id;
        file.file = std::make_unique<TScriptFile>(opening, TScript::LoadEnd());
    }
    return file;
}

void TScriptProcessManager::Lead(Spelling& spelling, KnownFile* file)
{
    if (spelling.file == file) {
        return;
    }
    KnownFile* before = spelling.file;
    spelling.file = file;
    if (file != nullptr) {
        ++file->spellings;
    }
    // A file no file part leads to any more is forgotten (tasks running its scripts keep them).
    if (before != nullptr && --before->spellings == 0) {
        m_files.erase(before->id);
        m_spareTasks.clear();
    }
}

std::uint32_t TScriptProcessManager::Step()
{
    return Run(false);
}

std::uint32_t TScriptProcessManager::RunOnce()
{
    return Run(true);
}

std::uint32_t TScriptProcessManager::Run(bool once)
{
    m_gaveFrameBack = false;
    const std::uint32_t result = RunFrame(once);
    // Scripts given the next frame go on with the work they did; held or ended, they start afresh.
    if (!m_gaveFrameBack) {
        m_ownWork = 0;
    }
    return result;
}

std::uint32_t TScriptProcessManager::RunFrame(bool once)
{
    if (m_cancel != 0) {
        return kCancelled;
    }
    if (m_hostWait != 0 || m_stop != 0 || m_moduleWait != 0) {
        return kHeld;
    }
    // However the frame ends, the next one is another; a statement may step another manager.
    struct NextFrame {
        std::uint64_t& frame;
        std::uint64_t end = ScriptWork::FrameEnd();
        ~NextFrame()
        {
            ++frame;
            ScriptWork::SetFrameEnd(end);
        }
    } nextFrame{m_frame};
    // Only counted work ends a run, never the time it took: the same scripts end at the same
    // statement on any machine, under any load.
    const auto units = [](std::uint64_t tokens) {
        return std::max<std::uint64_t>(1, (tokens + ScriptPrice::kTokensPerWork - 1) / ScriptPrice::kTokensPerWork);
    };
    const std::uint64_t tokensBefore = ScriptWork::Tokens();
    const std::uint64_t folderBefore = ScriptWork::FolderTokens();
    std::uint64_t statements = 0;
    std::uint64_t tokens = 0;
    std::uint64_t folderTokens = 0;
    // The frame's work. A frame ends where it does, or where the scripts' own work since they last
    // held does; a run outside the frames, only where their own work does.
    std::uint64_t work = 0;
    while (std::max(once ? std::uint64_t{0} : work, m_ownWork) < ScriptPrice::kMaxWorkPerStep) {
        if (m_tasks.empty()) {
            return kFinished;
        }
        // Held here: the statement may push a script in front of it.
        TRefPtr<TScript> task = m_tasks.front().script;
        const bool called = m_tasks.front().called;
        ScriptWork::SetFrameEnd(once ? UINT64_MAX
                                     : ScriptWork::Tokens() + (ScriptPrice::kMaxWorkPerStep - work) * ScriptPrice::kTokensPerWork);
        const bool alive = task->Step();
        const std::uint64_t worked = ScriptWork::Tokens() - tokensBefore - tokens;
        const std::uint64_t read = ScriptWork::FolderTokens() - folderBefore - folderTokens;
        ++statements;
        tokens += worked;
        folderTokens += read;
        work += units(worked);
        m_ownWork += units(worked - read);
        // A CALL waits for a folder read to go on in the next frame: a one-off read, not a runaway.
        if (m_gaveFrameBack) {
            return kHeld;
        }
        if (!alive) {
            RemoveTask(task.Get());
            if (called && task.UseCount() == 1) {
                m_spareTasks.push_back(task);
            }
            if (m_tasks.empty()) {
                return kFinished;
            }
        }
        if (m_moduleWait != 0 || m_stop != 0 || m_hostWait != 0) {
            return kHeld;
        }
    }
    // A frame the folders read for CALLs helped fill: what did not fit goes on in the next frame.
    // Only the scripts' own work, counted on since they last held, makes a runaway.
    if (m_ownWork < ScriptPrice::kMaxWorkPerStep) {
        m_gaveFrameBack = true;
        return kHeld;
    }
    ScriptLog("\"" + m_tasks.front().script->GetKey() + "\" ran " + std::to_string(statements) +
              " statements in one frame, working through " + std::to_string(tokens) + " tokens; all scripts ended");
    m_tasks.clear();
    return kFinished;
}

void TScriptProcessManager::RemoveTask(const TScript* script)
{
    // Mostly the front one: the task that just ended.
    if (!m_tasks.empty() && m_tasks.front().script.Get() == script) {
        m_tasks.pop_front();
        return;
    }
    for (auto it = m_tasks.begin(); it != m_tasks.end(); ++it) {
        if (it->script.Get() == script) {
            m_tasks.erase(it);
            return;
        }
    }
}

void TScriptProcessManager::AddModule(TScriptModule* module)
{
    if (module == nullptr) {
        return;
    }
    // The same object again: a second owner would delete it twice.
    if (FindModule(module->GetName()) == module) {
        return;
    }
    SetModule(TRefPtr<TScriptModule>(module));
}

void TScriptProcessManager::SetModule(const TRefPtr<TScriptModule>& module)
{
    if (module.Get() == nullptr) {
        return;
    }
    TRefPtr<TScriptModule>& entry = m_modules[module->GetName()];
    if (entry.Get() != module.Get()) {
        entry = module;
    }
}

void TScriptProcessManager::RemoveModule(const std::string& name)
{
    m_modules.erase(name);
}

TScriptModule* TScriptProcessManager::FindModule(const std::string& name) const
{
    auto found = m_modules.find(name);
    return found != m_modules.end() ? found->second.Get() : nullptr;
}

std::uint32_t TScriptProcessManager::CallModule(const std::string& name, std::uint32_t command,
                                                const std::deque<std::string>& args,
                                                const std::deque<std::uint32_t>& kinds)
{
    auto found = m_modules.find(name);
    if (found == m_modules.end() || found->second.Get() == nullptr) {
        return TScriptModule::kNoModule;
    }
    // Held here: the module may replace itself while it runs.
    TRefPtr<TScriptModule> module = found->second;
    return module->Call(command, args, kinds);
}

void TScriptProcessManager::UpdateModules()
{
    VisitModules(&TScriptModule::Update);
}

void TScriptProcessManager::DrawModules()
{
    VisitModules(&TScriptModule::Draw);
}

void TScriptProcessManager::VisitModules(void (TScriptModule::*visit)())
{
    std::string name;
    for (auto it = m_modules.begin(); it != m_modules.end(); it = m_modules.upper_bound(name)) {
        name = it->first;
        TRefPtr<TScriptModule> module = it->second;
        if (module.Get() != nullptr) {
            (module.Get()->*visit)();
        }
    }
}

void TScriptProcessManager::Clear()
{
    m_tasks.clear();
    m_spareTasks.clear();
    m_unfiled.clear();
    m_spellings.clear();
    m_spellingLevels = 0;
    m_files.clear();
    m_modules.clear();
    m_globalB.Clear();
    m_globalA.Clear();
    m_moduleWait = 1;
}
