#include "MainCode/TGameWnd.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/Subset/TPatternInfo.h"
#include "MainCode/Character/Subset/TWeponState.h"
#include "MainCode/Character/TGameObject.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Character/TEnemyDataTable.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/GameData/TAccessoryTable.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemMeanTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Map/TAttackTable.h"
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
        platform::ReportRefusedStart(GetDesktopWindow(), "多重起動禁止", "警告", MB_ICONWARNING);
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
        platform::ReportRefusedStart(GetDesktopWindow(), text, "警告", MB_ICONWARNING);
        return false;
    }
    return true;
}

int TGameWnd::Run(std::uint32_t /*mode*/)
{
    // A refused start is a failed one for whoever started the game.
    if (!CheckSingleInstance() || !CheckDirectXVersion()) {
        return 1;
    }
    Create();
    Init();

    MSG msg = {};
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    msg.message = 0;
    try {
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
                } else if (m_current != nullptr && m_current->GetIdleTime() > 0) {
                    // No step was due: sleep until one is, or until a message comes.
                    MsgWaitForMultipleObjects(0, nullptr, FALSE, m_current->GetIdleTime(), QS_ALLINPUT);
                }
            }
        }
    } catch (...) {
        // On its way to the entry function an error still lets go of the script manager, the scenes
        // and what they hold before the device and the sound go, as a close does.
        Shutdown();
        throw;
    }
    Shutdown();
    return m_refused ? 1 : static_cast<int>(msg.wParam);
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
            platform::ReportRefusedStart(m_hwnd,
                                         "起動設定ファイル setting.ini が見つかりませんでした。\n"
                                         "Quillmarkを起動するには起動設定用ツール Setting.exe を起動して\n"
                                         "Quillmarkに関する設定を行い、起動設定ファイルを作成してください。\n\n"
                                         "OKを押すと終了します。",
                                         "Quillmark起動エラー", MB_TOPMOST | MB_ICONWARNING);
            m_refused = true;
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
    TAttackTable::SetDirectory("data/chrdata04/");
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
    if (m_scenes.size() == 1) {
        m_current = nullptr;  // the far end is the current scene too: nothing is left to run
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
    if (key != VK_ESCAPE && key != VK_F4) {
        return;
    }
    // A question that cannot be built (its pictures unreadable, no file left to open) is logged and
    // not asked: the play under it goes on, and the key may be pressed again.
    TLoop* dialog = nullptr;
    try {
        dialog = new TYesNoLoop(this, key == VK_ESCAPE ? TYesNoLoop::kQuit : TYesNoLoop::kToTitle);
    } catch (const std::exception& e) {
        my_error::LogError(e);
        return;
    }
    PushScene(dialog);
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
    SetTimeStopBoard(TRefPtr<TFrame>());  // the board's meshes go before the device
    m_d3d->Uninit();
    m_sound->Uninit();
    CoUninitialize();
    m_initialised = false;
}

namespace {

const char kCaptureTextureName[] = "QM_ScreenCaptureTex";

template <typename T>
void ReleaseIf(T*& p)
{
    if (p != nullptr) {
        p->Release();
        p = nullptr;
    }
}

// The current render target and depth surface with their descriptions; false when either is
// missing or cannot describe itself (what is held is released then).
bool CurrentTargets(TD3D8* d3d, IDirect3DSurface8** target, IDirect3DSurface8** depth, D3DSURFACE_DESC* targetDesc,
                    D3DSURFACE_DESC* depthDesc)
{
    *target = d3d->GetRenderTarget();
    *depth = d3d->GetDepthStencilSurface();
    if (*target == nullptr || *depth == nullptr || FAILED((*target)->GetDesc(targetDesc)) ||
        FAILED((*depth)->GetDesc(depthDesc))) {
        ReleaseIf(*target);
        ReleaseIf(*depth);
        return false;
    }
    return true;
}

// Draws the scene into the targets now set, with Present off so nothing reaches the screen.
void DrawWithoutPresent(TD3D8* d3d, TLoop* scene)
{
    d3d->EnablePresent(false);
    scene->Draw();
    d3d->EnablePresent(true);
}

}  // namespace

UINT TGameWnd::CaptureSize(UINT maximum, UINT backBuffer)
{
    UINT size = 256;
    while (size <= maximum && size <= backBuffer) {
        size *= 2;
    }
    return size <= maximum ? size : 0;
}

D3DFORMAT TGameWnd::ChooseCaptureFormat()
{
    IDirect3DDevice8* device = TD3D8::GetDevice();
    IDirect3D8* direct3D = TD3D8::GetDirect3D();
    D3DDISPLAYMODE mode{};
    if (device == nullptr || direct3D == nullptr || FAILED(device->GetDisplayMode(&mode))) {
        return D3DFMT_UNKNOWN;
    }
    D3DFORMAT candidates[4] = {D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN};
    auto set = [&candidates](D3DFORMAT a, D3DFORMAT b, D3DFORMAT c, D3DFORMAT d) {
        candidates[0] = a;
        candidates[1] = b;
        candidates[2] = c;
        candidates[3] = d;
    };
    switch (mode.Format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_R5G6B5:
        set(D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8);
        break;
    case D3DFMT_A8R8G8B8:
        set(D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5);
        break;
    case D3DFMT_X8R8G8B8:
        set(D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5);
        break;
    case D3DFMT_X1R5G5B5:
        set(D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8);
        break;
    default:
        break;
    }
    for (D3DFORMAT candidate : candidates) {
        if (SUCCEEDED(direct3D->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_RENDERTARGET,
                                                   D3DRTYPE_TEXTURE, candidate))) {
            return candidate;
        }
    }
    return D3DFMT_UNKNOWN;
}

TTexture8 TGameWnd::CreateCaptureTexture(const std::string& name, int width, int height, bool* present)
{
    *present = false;
    try {
        UINT w = static_cast<UINT>(width);
        UINT h = static_cast<UINT>(height);
        if (width < 0 || height < 0) {
            D3DCAPS8 caps{};
            IDirect3DDevice8* device = TD3D8::GetDevice();
            if (device == nullptr || FAILED(device->GetDeviceCaps(&caps))) {
                caps = D3DCAPS8{};
            }
            if (width < 0) {
                w = CaptureSize(caps.MaxTextureWidth, m_d3d->GetBackBufferWidth());
            }
            if (height < 0) {
                h = CaptureSize(caps.MaxTextureHeight, m_d3d->GetBackBufferHeight());
            }
        }
        TTexture8 texture = TTexture8::Create(name, w, h, ChooseCaptureFormat(), D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET);
        *present = true;
        return texture;
    } catch (const std::exception&) {
        return TTexture8::Load(std::string(), D3DPOOL_MANAGED, 0);
    }
}

bool TGameWnd::RenderSceneToTexture(TTexture8& texture, float* u, float* v, TLoop* scene)
{
    if (scene == nullptr) {
        scene = m_current;
    }
    IDirect3DTexture8* tex = texture.GetTexture();
    IDirect3DSurface8* oldTarget = nullptr;
    IDirect3DSurface8* oldDepth = nullptr;
    D3DSURFACE_DESC targetDesc{};
    D3DSURFACE_DESC depthDesc{};
    if (TD3D8::GetDevice() == nullptr || !CurrentTargets(m_d3d, &oldTarget, &oldDepth, &targetDesc, &depthDesc)) {
        return false;
    }
    IDirect3DSurface8* surface = nullptr;
    IDirect3DSurface8* depth = nullptr;
    D3DSURFACE_DESC textureDesc{};
    if (targetDesc.Width == 0 || scene == nullptr || tex == nullptr || FAILED(tex->GetSurfaceLevel(0, &surface)) ||
        surface == nullptr || FAILED(surface->GetDesc(&textureDesc)) ||
        (depth = m_d3d->CreateDepthStencilSurface(textureDesc.Width, textureDesc.Height, depthDesc.Format,
                                                  depthDesc.MultiSampleType)) == nullptr) {
        ReleaseIf(surface);
        ReleaseIf(oldTarget);
        ReleaseIf(oldDepth);
        return false;
    }
    const float aspect = static_cast<float>(targetDesc.Height) / static_cast<float>(targetDesc.Width);
    m_d3d->SetRenderTarget(surface, depth);
    D3DVIEWPORT8 viewport{};
    viewport.Width = std::min(targetDesc.Width, textureDesc.Width);
    viewport.Height = static_cast<DWORD>(static_cast<float>(viewport.Width) * aspect);
    viewport.MaxZ = 1.0F;
    *u = static_cast<float>(viewport.Width) / static_cast<float>(textureDesc.Width);
    *v = static_cast<float>(viewport.Height) / static_cast<float>(textureDesc.Height);
    IDirect3DDevice8* device = TD3D8::GetDevice();
    device->SetViewport(&viewport);
    TSprite::SetScreenScale(640, 480, static_cast<int>(viewport.Width), static_cast<int>(viewport.Height));

    DrawWithoutPresent(m_d3d, scene);

    m_d3d->SetRenderTarget(oldTarget, oldDepth);
    TSprite::SetScreenScale(640, 480, static_cast<int>(targetDesc.Width), static_cast<int>(targetDesc.Height));
    const D3DVIEWPORT8 full = {0, 0, targetDesc.Width, targetDesc.Height, 0.0F, 1.0F};
    device->SetViewport(&full);
    ReleaseIf(surface);
    ReleaseIf(depth);
    ReleaseIf(oldTarget);
    ReleaseIf(oldDepth);
    return true;
}

TSprite TGameWnd::CaptureScreen(const std::string& /*label*/, TLoop* scene)
{
    bool present = false;
    TTexture8 texture;
    if (TTexture8* cached = TTexture8::Find(kCaptureTextureName)) {
        texture = *cached;
        present = true;
    } else {
        texture = CreateCaptureTexture(kCaptureTextureName, -1, -1, &present);
    }
    TSprite sprite(texture);
    float u = 1.0F;
    float v = 1.0F;
    if (present && RenderSceneToTexture(texture, &u, &v, scene)) {
        sprite.SetTexCoord(1, u, 0.0F);
        sprite.SetTexCoord(2, 0.0F, v);
        sprite.SetTexCoord(3, u, v);
        return sprite;
    }
    TSprite black;
    black.SetColor(0xFF000000, -1);
    return black;
}

IDirect3DSurface8* TGameWnd::CaptureSceneSurface(std::uint32_t kind, TLoop* scene)
{
    if (scene == nullptr) {
        scene = m_current;
    }
    IDirect3DSurface8* oldTarget = m_d3d->GetRenderTarget();
    IDirect3DSurface8* oldDepth = m_d3d->GetDepthStencilSurface();
    D3DSURFACE_DESC targetDesc{};
    D3DSURFACE_DESC depthDesc{};
    if (oldTarget == nullptr || FAILED(oldTarget->GetDesc(&targetDesc))) {
        ReleaseIf(oldTarget);
        ReleaseIf(oldDepth);
        return nullptr;
    }
    const bool haveDepth = oldDepth != nullptr && SUCCEEDED(oldDepth->GetDesc(&depthDesc));

    IDirect3DSurface8* target = nullptr;
    if (scene != nullptr) {
        target = m_d3d->CreateRenderTarget(targetDesc.Width, targetDesc.Height, targetDesc.Format,
                                           targetDesc.MultiSampleType, FALSE);
        IDirect3DSurface8* depth =
            haveDepth ? m_d3d->CreateDepthStencilSurface(depthDesc.Width, depthDesc.Height, depthDesc.Format,
                                                         depthDesc.MultiSampleType)
                      : nullptr;
        if (target != nullptr && depth != nullptr) {
            m_d3d->SetRenderTarget(target, depth);
            DrawWithoutPresent(m_d3d, scene);
            m_d3d->SetRenderTarget(oldTarget, oldDepth);
        } else {
            // One without the other cannot be drawn into.
            ReleaseIf(target);
        }
        ReleaseIf(depth);
    }
    ReleaseIf(oldTarget);
    ReleaseIf(oldDepth);
    if (kind == 1) {
        return target;
    }

    IDirect3DSurface8* image = m_d3d->CreateImageSurface(targetDesc.Width, targetDesc.Height, targetDesc.Format);
    if (image == nullptr) {
        ReleaseIf(target);
        return nullptr;
    }
    IDirect3DDevice8* device = TD3D8::GetDevice();
    if (target == nullptr || device == nullptr || FAILED(device->CopyRects(target, nullptr, 0, image, nullptr))) {
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(image->LockRect(&locked, nullptr, 0)) && locked.pBits != nullptr) {
            std::memset(locked.pBits, 0, static_cast<std::size_t>(locked.Pitch) * targetDesc.Height);
            image->UnlockRect();
        }
    }
    ReleaseIf(target);
    return image;
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
