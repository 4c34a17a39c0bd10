#include "MainCode/TGameWnd.h"

#include <cstdio>
#include <exception>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/Subset/TPatternInfo.h"
#include "MainCode/Character/Subset/TWeponState.h"
#include "MainCode/Character/TGameObject.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Enemy/TEnemyData.h"
#include "MainCode/GameData/TAccessoryTable.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemMeanTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Map/THierarchyCache.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Map/TMeshAreaManager.h"
#include "MainCode/Map/TSky.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/TBasicD3DDeviceBuilder.h"
#include "MainCode/TInputDevice.h"
#include "MainCode/TLoop.h"
#include "TCommon/TFile.h"
#include "TCommon/my_error.h"
#include "TUtility/TDirectXVersion.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TTexture8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "platform/win32/com.h"
#include "platform/win32/file.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/msgbox.h"

namespace {

const char kSourceFile[] = "MainCode/TGameWnd";

// Deletes an owned scene early; the holder then no longer owns anything.
void DeleteOwnedScene(TRefPtr<TLoop>& holder)
{
    if (holder.IsOwned() && holder.Get() != nullptr) {
        delete holder.Get();
        holder.ClearOwned();
    }
}

bool IsDirectory(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

TGameWnd::TGameWnd(DWORD exStyle, const std::string& className, const std::string& title, DWORD style, int x, int y,
                   int width, int height, HWND parent, HMENU menu, HINSTANCE instance, std::uint16_t iconId,
                   std::uint16_t cursorId)
    : TMainWindow(exStyle, className, title, style, x, y, width, height, parent, menu, instance),
      m_iconId(iconId),
      m_cursorId(cursorId),
      m_input(nullptr),
      m_d3d(TD3D8::Instance()),
      m_sound(TDSound8::Instance()),
      m_singleInstance("Verrow_Quillmark", title, className)
{
}

TGameWnd::~TGameWnd() = default;

bool TGameWnd::IsRunning()
{
    return m_running && m_active;
}

bool TGameWnd::CheckSingleInstance()
{
    if (!m_singleInstance.Check()) {
        MessageBoxA(GetDesktopWindow(), "多重起動禁止", "警告", MB_ICONWARNING);
        return false;
    }
    return true;
}

bool TGameWnd::CheckDirectXVersion()
{
    TDirectXVersion version;
    if (version.GetVersion() < 0x800) {
        char text[512];
        std::snprintf(text, sizeof(text),
                      "このゲームををプレイするには\r\nDirectX 8.0 以降のバージョンのインストールが必要です。\r\n"
                      "DirectX 8.0 をインストールして再起動してください。\r\n\r\n現在のバージョン : %s",
                      version.GetText());
        MessageBoxA(GetDesktopWindow(), text, "警告", MB_ICONWARNING);
        return false;
    }
    return true;
}

int TGameWnd::Run(std::uint32_t /*mode*/)
{
    if (!CheckSingleInstance() || !CheckDirectXVersion()) {
        return 0;
    }
    Create();
    Init();

    MSG msg = {};
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    msg.message = 0;
    while (msg.message != WM_QUIT) {
        const bool got = m_active ? PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE
                                  : GetMessageA(&msg, nullptr, 0, 0) != -1;
        if (got) {
            if (msg.message != WM_QUIT) {
                DispatchMsg(&msg);
            }
        } else if (IsRunning()) {
            if (!Frame()) {
                SendMessageA(m_hwnd, WM_CLOSE, 0, 0);
            }
        }
    }
    Shutdown();
    return static_cast<int>(msg.wParam);
}

HWND TGameWnd::Create()
{
    WNDCLASSEXA wc = {};
    wc.cbSize = 48;
    wc.style = CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &SubClassWndProc;
    wc.hInstance = m_instance;
    wc.hIcon = m_iconId != 0 ? LoadIconA(m_instance, MAKEINTRESOURCEA(m_iconId)) : nullptr;
    wc.hCursor = m_cursorId != 0 ? LoadCursorA(m_instance, MAKEINTRESOURCEA(m_cursorId)) : nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = m_className.c_str();
    if (RegisterClassExA(&wc) == 0) {
        throw my_error("ウィンドウの初期化に失敗しました。", kSourceFile, 660);
    }
    if (TMainWindow::Create() == nullptr) {
        throw my_error("ウィンドウの作成に失敗しました。", kSourceFile, 665);
    }
    return m_hwnd;
}

void TGameWnd::Init()
{
    {
        TFile settings("setting.ini");
        if (!settings.Open(true, GENERIC_READ, "")) {
            MessageBoxA(m_hwnd,
                        "起動設定ファイル setting.ini が見つかりませんでした。\n"
                        "Quillmarkを起動するには起動設定用ツール Setting.exe を起動して\n"
                        "Quillmarkに関する設定を行い、起動設定ファイルを作成してください。\n\n"
                        "OKを押すと終了します。",
                        "Quillmark起動エラー", MB_TOPMOST | MB_ICONWARNING);
            SendMessageA(m_hwnd, WM_CLOSE, 0, 0);
            return;
        }
        settings.Close();
    }

    if (CoInitializeEx(nullptr, 0) != 0) {
        throw my_error("COMの初期化に失敗しました。", kSourceFile, 691);
    }
    if (!IsDirectory("save")) {
        CreateDirectoryA("save", nullptr);
    }
    m_input = TRefPtr<TInputDevice>(
        new TInputDevice(".\\input.ini", 10, TInputDevice::kDefaultKeys, TInputDevice::kDefaultPad));
    init_genrand(timeGetTime());

    TTexture8::SetDirectory("data/ptx04/");
    TMesh8::SetDirectory("data/msh04/");
    TFrame::SetDirectory("data/frm04/");
    TDSound8::SetSeFolder("data/se04/");
    TDSound8::SetMusicFolder("data/bgm04/");
    TGameData::SetSaveDirectory("save/");
    TGameData::SetTableDirectory("data/tbl04/");
    TGameObject::SetDataFolder("char04/");
    TWeponState::SetDirectory("data/chrdata04/");
    TPatternInfo::SetDirectory("data/chrdata04/");
    THierarchyCache::SetDirectory("data/chrdata04/");
    TMeshAreaManager::SetDirectory("map04/");
    TMapData::SetDirectory("data/scr04/");
    TMapData::SetVisualDirectory("visual04/");
    TScript::SetDirectory("data/scr04/");
    TEffectManager::SetFolder("effect/");

    const std::string& tables = TGameData::GetTableDirectory();
    LoadEnemyData(tables + "enemy.tbl");
    TWeponTable::Load(tables + "wepon.tbl");
    TItemMeanTable::Load(tables + "itemmean.tbl");
    TAccessoryTable::Load(tables + "accessory.tbl");

    TGameData::Initialize();
    TGameData::SetChapter(4);
    TGameData::SetMaxLevel(59);
    TGameData::SetMaxMoney(1700000);

    m_sound->Init(m_hwnd);
    m_sound->CreateBank(tables + "se.tbl", "se.pse/", 0, -10000, 0);
    m_sound->CreateBank(tables + "voice.tbl", "voice.pse/", 1, -10000, 0);
    m_sound->CreateBank(tables + "bgm.tbl", "", 2, -10000, 0);

    TRefPtr<TD3DDeviceBuilder> builder(new TBasicD3DDeviceBuilder(m_hwnd, "./setting.ini"));
    if (!m_d3d->Init(builder, D3D_SDK_VERSION, "DeviceLog.txt", "InitLog.txt")) {
        // Never run on without a device: every scene would draw on nothing.
        char text[128];
        std::snprintf(text, sizeof(text), "Direct3D デバイスの作成に失敗しました。(コード 0x%02X)",
                      static_cast<unsigned>(m_d3d->GetCreateResult()));
        throw my_error(text, kSourceFile, __LINE__);
    }

    if (m_d3d->IsWindowed()) {
        SetWindowLongA(m_hwnd, GWL_STYLE, static_cast<LONG_PTR>(WS_CAPTION));
        RECT rect = {0, 0, static_cast<LONG>(m_d3d->GetBackBufferWidth()),
                     static_cast<LONG>(m_d3d->GetBackBufferHeight())};
        AdjustWindowRect(&rect, WS_CAPTION, FALSE);
        SetWindowPos(m_hwnd, HWND_TOP, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_HIDEWINDOW);
    } else {
        ShowCursor(FALSE);
    }

    TVertexShader::Register(new TSky());
    TSprite::SetScreenScale(640, 480, static_cast<int>(m_d3d->GetBackBufferWidth()),
                            static_cast<int>(m_d3d->GetBackBufferHeight()));

    if (timeGetDevCaps(&m_timeCaps, sizeof(m_timeCaps)) == TIMERR_NOERROR) {
        timeBeginPeriod(m_timeCaps.wPeriodMin);
        m_timeCapsValid = true;
    } else {
        timeBeginPeriod(1);
        m_timeCapsValid = false;
    }

    PushScene(new TTitleLoop(this));

    Sleep(500);
    ShowWindow(m_hwnd, SW_SHOWDEFAULT);
    UpdateWindow(m_hwnd);
    m_running = true;
    m_initialised = true;
    builder.Release();  // the device core keeps its own share
}

bool TGameWnd::Frame()
{
    if (m_current == nullptr) {
        return false;  // nothing left to run: end the program instead of stepping a missing scene
    }
    const std::uint32_t r = m_current->Update();
    if ((r & LOOP_QUIT) != 0) {
        return false;
    }
    if ((r & LOOP_END) != 0) {
        ApplySceneChange();
    }
    return true;
}

void TGameWnd::DrawScene()
{
    if (m_current != nullptr) {
        m_current->Draw();
    }
}

void TGameWnd::PushScene(TLoop* scene)
{
    if (scene == nullptr) {
        return;
    }
    if (m_current != nullptr) {
        m_current->Suspend();
    }
    m_scenes.push_front(TRefPtr<TLoop>(scene));
    m_current = scene;
    scene->Resume();
}

void TGameWnd::ReplaceScene(TLoop* scene)
{
    if (scene == nullptr) {
        return;
    }
    if (m_scenes.empty()) {
        PushScene(scene);
        return;
    }
    m_scenes.push_back(TRefPtr<TLoop>(scene));
}

void TGameWnd::ApplySceneChange()
{
    if (m_scenes.empty()) {
        return;
    }
    m_current = nullptr;
    DeleteOwnedScene(m_scenes.front());
    TTexture8::PurgeCache(2);
    m_sound->PurgeUnused();
    m_scenes.pop_front();
    if (!m_scenes.empty()) {
        m_current = m_scenes.front().Get();
        if (m_current != nullptr) {
            m_current->Resume();
        }
    }
}

void TGameWnd::PopScene()
{
    if (m_scenes.empty()) {
        return;
    }
    DeleteOwnedScene(m_scenes.back());
    TTexture8::PurgeCache(2);
    m_sound->PurgeUnused();
    m_scenes.pop_back();
}

std::int32_t TGameWnd::PopScenesTo(std::uint32_t n)
{
    while (m_scenes.size() > n) {
        PopScene();
    }
    return GetSceneCount();
}

void TGameWnd::ClearScenes()
{
    for (auto& holder : m_scenes) {
        DeleteOwnedScene(holder);
    }
    m_scenes.clear();
    TTexture8::PurgeCache(2);
    m_sound->PurgeUnused();
    m_current = nullptr;
}

void TGameWnd::Activate()
{
    m_active = true;
    if (m_d3d->IsInitialized() && m_current != nullptr) {
        m_current->Resume();
    }
}

void TGameWnd::Deactivate()
{
    m_active = false;
    if (m_d3d->IsInitialized() && m_current != nullptr) {
        m_current->Suspend();
    }
}

LRESULT TGameWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        OnSize(wParam, lParam);
        return DefaultProc(hwnd, msg, wParam, lParam);
    case WM_PAINT:
        OnPaint();
        return DefaultProc(hwnd, msg, wParam, lParam);
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_ACTIVATEAPP:
        OnActivateApp(wParam);
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor(hwnd, msg, wParam, lParam);
    case WM_NCHITTEST:
        return OnNcHitTest(hwnd, msg, wParam, lParam);
    case WM_KEYDOWN:
        OnKeyDown(wParam, lParam);
        return DefaultProc(hwnd, msg, wParam, lParam);
    case WM_SYSCOMMAND:
        return OnSysCommand(hwnd, msg, wParam, lParam);
    case WM_POWERBROADCAST:
        return OnPowerBroadcast(hwnd, msg, wParam, lParam);
    case WM_IME_SETCONTEXT:
        return 0;
    default:
        return DefaultProc(hwnd, msg, wParam, lParam);
    }
}

void TGameWnd::OnSize(WPARAM kind, LPARAM /*size*/)
{
    if (kind == SIZE_MINIMIZED || kind == SIZE_MAXHIDE) {
        Deactivate();
    } else {
        Activate();
    }
}

void TGameWnd::OnPaint()
{
    if (!m_active && m_current != nullptr && m_d3d->IsWindowed()) {
        m_current->Draw();
    }
}

void TGameWnd::OnClose()
{
    Shutdown();
    DestroyWindow(m_hwnd);
    PostQuitMessage(0);
}

void TGameWnd::OnActivateApp(WPARAM active)
{
    if (active != 0) {
        Activate();
    } else {
        Deactivate();
    }
}

LRESULT TGameWnd::OnSetCursor(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(hwnd, msg, wParam, lParam);
}

LRESULT TGameWnd::OnNcHitTest(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_running && m_d3d->IsWindowed()) {
        return HTCAPTION;  // the whole window drags like its caption
    }
    return DefaultProc(hwnd, msg, wParam, lParam);
}

void TGameWnd::OnKeyDown(WPARAM key, LPARAM /*flags*/)
{
    if (m_current == nullptr || !m_current->AllowsSystemDialog()) {
        return;
    }
    if (key == VK_ESCAPE) {
        PushScene(new TYesNoLoop(this, 1));
    } else if (key == VK_F4) {
        PushScene(new TYesNoLoop(this, 0));
    }
}

LRESULT TGameWnd::OnSysCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!m_d3d->IsWindowed() && (wParam == SC_MOVE || wParam == SC_SIZE || wParam == SC_MAXIMIZE ||
                                 wParam == SC_KEYMENU || wParam == SC_MONITORPOWER)) {
        return 1;
    }
    return DefaultProc(hwnd, msg, wParam, lParam);
}

LRESULT TGameWnd::OnPowerBroadcast(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (wParam == PBT_APMQUERYSUSPEND || wParam == PBT_APMRESUMESUSPEND) {
        return 1;
    }
    return DefaultProc(hwnd, msg, wParam, lParam);
}

void TGameWnd::Shutdown()
{
    if (!m_initialised) {
        return;
    }
    m_running = false;
    m_active = false;
    TScriptProcessManager::Destroy();
    ClearScenes();
    timeEndPeriod(m_timeCapsValid ? m_timeCaps.wPeriodMin : 1);
    TGameData::Finalize();
    m_d3d->Uninit();
    m_sound->Uninit();
    CoUninitialize();
    m_initialised = false;
}

int WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/)
{
    my_error::SetLogOptions(my_error::GetDefaultMessage(), 4096, "ErrorLog.txt", 7);
    try {
        const std::string className = "Verrow Quillmark";
        const std::string title = "Quillmark 4章 ～ Solstice ～";
        TGameWnd app(0, className, title, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr,
                     instance, 101, 104);
        return app.Run(1);
    } catch (const std::exception& e) {
        my_error::TransactionError(e);
    } catch (const char* text) {
        MessageBoxA(nullptr, text, "Error Message", MB_TOPMOST | MB_ICONERROR);
    } catch (...) {
        my_error::TransactionUnknownError();
    }
    return 1;
}
