#include "platform/win32/msgbox_window.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/text/cp932.h"
#include "platform/win32/seams.h"
#include "platform/win32/window_internal.h"

namespace platform::seams {

std::function<void(const MessageWindowShown&)> g_messageWindowObserver;

}  // namespace platform::seams

namespace {

constexpr int kFontHeight = 16;
constexpr int kLineGap = 4;
constexpr int kMargin = 16;
constexpr int kMaxTextWidth = 560;
constexpr int kMinTextWidth = 208;
constexpr int kMaxLines = 24;  // the rest is on stderr and in the error log
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;

constexpr Uint32 kBackground = 0xFFF0F0F0;
constexpr Uint32 kInk = 0xFF000000;
constexpr Uint32 kButtonFace = 0xFFE1E1E1;
constexpr Uint32 kButtonEdge = 0xFF0078D7;

// One CP932 character at i: the code GetGlyphOutlineA takes, and its length in bytes.
UINT CharAt(const std::string& text, size_t i, size_t* length)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    if (platform::IsCp932LeadByte(lead) && i + 1 < text.size()) {
        *length = 2;
        return (static_cast<UINT>(lead) << 8) | static_cast<unsigned char>(text[i + 1]);
    }
    *length = 1;
    return lead;
}

Uint32 Blend(Uint32 under, Uint32 over, unsigned coverage)
{
    Uint32 out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((under >> shift) & 0xFF);
        const int b = static_cast<int>((over >> shift) & 0xFF);
        out |= static_cast<Uint32>(a + (b - a) * static_cast<int>(coverage) / 16) << shift;
    }
    return out;
}

// The game's own text path: IPAGothic through the GDI layer, one gray glyph at a time.
class TextFace {
public:
    TextFace() : m_dc(CreateCompatibleDC(nullptr))
    {
        LOGFONTA description{};
        description.lfHeight = kFontHeight;
        description.lfWeight = FW_NORMAL;
        description.lfCharSet = DEFAULT_CHARSET;
        std::strcpy(description.lfFaceName, "IPAGothic");
        m_font = CreateFontIndirectA(&description);
        TEXTMETRICA metrics{};
        if (m_font != nullptr && SelectObject(m_dc, m_font) != nullptr && GetTextMetricsA(m_dc, &metrics)) {
            m_ascent = metrics.tmAscent;
            m_lineHeight = metrics.tmHeight + kLineGap;
        }
    }
    ~TextFace()
    {
        DeleteDC(m_dc);
        DeleteObject(m_font);
    }
    TextFace(const TextFace&) = delete;
    TextFace& operator=(const TextFace&) = delete;

    bool Ready() const { return m_lineHeight > 0; }
    int LineHeight() const { return m_lineHeight; }

    int Width(const std::string& text)
    {
        int width = 0;
        for (size_t i = 0, n = 0; i < text.size(); i += n) {
            width += Glyph(CharAt(text, i, &n));
        }
        return width;
    }

    // Draws a line with its cell top at y, blending into what is there.
    void Draw(SDL_Surface* surface, const std::string& text, int x, int y)
    {
        auto* pixels = static_cast<Uint32*>(surface->pixels);
        const int pitch = surface->pitch / 4;
        for (size_t i = 0, n = 0; i < text.size(); i += n) {
            const int advance = Glyph(CharAt(text, i, &n));
            const int stride = (static_cast<int>(m_metrics.gmBlackBoxX) + 3) & ~3;
            for (int gy = 0; !m_cover.empty() && gy < static_cast<int>(m_metrics.gmBlackBoxY); ++gy) {
                const int py = y + m_ascent - m_metrics.gmptGlyphOrigin.y + gy;
                for (int gx = 0; gx < static_cast<int>(m_metrics.gmBlackBoxX); ++gx) {
                    const int px = x + m_metrics.gmptGlyphOrigin.x + gx;
                    if (px >= 0 && py >= 0 && px < surface->w && py < surface->h) {
                        Uint32& p = pixels[py * pitch + px];
                        p = Blend(p, kInk, m_cover[gy * stride + gx]);
                    }
                }
            }
            x += advance;
        }
    }

private:
    // Loads one glyph's metrics and coverage (empty for a blank one); returns its advance.
    int Glyph(UINT code)
    {
        static constexpr MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        m_cover.clear();
        const DWORD size = GetGlyphOutlineA(m_dc, code, GGO_GRAY4_BITMAP, &m_metrics, 0, nullptr, &kIdentity);
        if (size == GDI_ERROR) {
            m_metrics = GLYPHMETRICS{};
            return 0;
        }
        if (size > 0) {
            m_cover.resize(size);
            if (GetGlyphOutlineA(m_dc, code, GGO_GRAY4_BITMAP, &m_metrics, size, m_cover.data(), &kIdentity) !=
                size) {
                m_cover.clear();
            }
        }
        return m_metrics.gmCellIncX;
    }

    HDC m_dc;
    HFONT m_font = nullptr;
    int m_ascent = 0;
    int m_lineHeight = 0;
    GLYPHMETRICS m_metrics{};
    std::vector<BYTE> m_cover;
};

// Lines as shown: LF (or CR LF) breaks one, and a line wider than width breaks after its last
// space, or before the character that does not fit.
std::vector<std::string> Wrap(TextFace& face, const std::string& text, int width)
{
    std::vector<std::string> lines;
    std::string line;
    int lineWidth = 0;
    size_t lastSpace = std::string::npos;
    for (size_t i = 0, n = 1; i <= text.size(); i += n) {
        if (i == text.size() || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            lineWidth = 0;
            lastSpace = std::string::npos;
            n = 1;
            continue;
        }
        const UINT code = CharAt(text, i, &n);
        if (code == '\r') {
            continue;
        }
        const int advance = face.Width(text.substr(i, n));
        if (lineWidth + advance > width && !line.empty()) {
            const size_t cut = code != ' ' && lastSpace != std::string::npos && lastSpace > 0 ? lastSpace : line.size();
            lines.push_back(line.substr(0, cut));
            line.erase(0, std::min(cut + 1, line.size()));  // with the space it broke at
            lineWidth = face.Width(line);
            lastSpace = std::string::npos;
            if (code == ' ') {
                continue;
            }
        }
        if (code == ' ') {
            lastSpace = line.size();
        }
        line.append(text, i, n);
        lineWidth += advance;
    }
    while (lines.size() > 1 && lines.back().empty()) {
        lines.pop_back();
    }
    if (lines.size() > static_cast<size_t>(kMaxLines)) {
        lines.resize(kMaxLines);
    }
    return lines;
}

void Fill(SDL_Surface* surface, int x, int y, int w, int h, Uint32 colour)
{
    SDL_Rect rect{x, y, w, h};
    SDL_FillRect(surface, &rect, colour);
}

Uint32 WindowOf(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID;
    case SDL_TEXTEDITING: return event.edit.windowID;
    case SDL_TEXTINPUT: return event.text.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    default: return 0;
    }
}

bool Closes(const SDL_Event& event, const SDL_Rect& ok)
{
    switch (event.type) {
    case SDL_KEYDOWN:
        switch (event.key.keysym.sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
        case SDLK_SPACE:
        case SDLK_ESCAPE: return true;
        default: return false;
        }
    case SDL_MOUSEBUTTONUP: {
        const SDL_Point at{event.button.x, event.button.y};
        return event.button.button == SDL_BUTTON_LEFT && SDL_PointInRect(&at, &ok);
    }
    case SDL_WINDOWEVENT: return event.window.event == SDL_WINDOWEVENT_CLOSE;
    default: return false;
    }
}

}  // namespace

namespace platform {

bool ShowOwnMessageWindow(const std::string& cp932Caption, const std::string& cp932Text)
{
    if (IsForeignThread() || !EnsureVideo()) {
        return false;
    }
    TextFace face;
    if (!face.Ready()) {
        return false;
    }
    const std::vector<std::string> lines = Wrap(face, cp932Text, kMaxTextWidth);
    int textWidth = kMinTextWidth;
    for (const std::string& line : lines) {
        textWidth = std::max(textWidth, face.Width(line));
    }
    const int width = textWidth + 2 * kMargin;
    const SDL_Rect ok{(width - kButtonWidth) / 2, kMargin * 2 + face.LineHeight() * static_cast<int>(lines.size()),
                      kButtonWidth, kButtonHeight};
    const int height = ok.y + ok.h + kMargin;

    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (picture == nullptr) {
        return false;
    }
    Fill(picture, 0, 0, width, height, kBackground);
    for (size_t i = 0; i < lines.size(); ++i) {
        face.Draw(picture, lines[i], kMargin, kMargin + face.LineHeight() * static_cast<int>(i));
    }
    Fill(picture, ok.x, ok.y, ok.w, ok.h, kButtonEdge);
    Fill(picture, ok.x + 2, ok.y + 2, ok.w - 4, ok.h - 4, kButtonFace);
    face.Draw(picture, "OK", ok.x + (ok.w - face.Width("OK")) / 2, ok.y + (ok.h - face.LineHeight() + kLineGap) / 2);

    // The game's GL context stays current: a window surface may be made with a renderer of its own.
    SDL_Window* glWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext glContext = SDL_GL_GetCurrentContext();
    // The box takes the keyboard; the window that had it gets it back, as an owner does when its box
    // closes (without a window manager nobody else would give it back).
    SDL_Window* focus = SDL_GetKeyboardFocus();
    const std::string title = Cp932ToUtf8(cp932Caption);
    SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                          SDL_WINDOW_ALWAYS_ON_TOP);
    const auto present = [&] {
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        return surface != nullptr && SDL_BlitSurface(picture, nullptr, surface, nullptr) == 0 &&
               SDL_UpdateWindowSurface(window) == 0;
    };
    const auto shown = [&] {
        if (seams::g_messageWindowObserver) {
            seams::g_messageWindowObserver({SDL_GetWindowID(window), title, &lines, width, height,
                                            static_cast<const std::uint32_t*>(picture->pixels), ok.x, ok.y, ok.w,
                                            ok.h});
        }
    };
    const bool drawn = window != nullptr && present();
    if (drawn) {
        SDL_RaiseWindow(window);
        shown();
        // A modal wait: what belongs to other windows waits until the box is gone, as does a quit
        // (which also ends the box).
        std::vector<SDL_Event> others;
        const Uint32 id = SDL_GetWindowID(window);
        SDL_Event event;
        while (SDL_WaitEvent(&event) != 0) {
            if (WindowOf(event) != id) {
                others.push_back(event);
                if (event.type == SDL_QUIT) {
                    break;
                }
                continue;
            }
            if (Closes(event, ok)) {
                break;
            }
            if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
                present();
            } else if (event.type == SDL_KEYDOWN || event.type == SDL_MOUSEBUTTONUP) {
                shown();
            }
        }
        for (SDL_Event& other : others) {
            SDL_PushEvent(&other);
        }
    }
    if (window != nullptr) {
        SDL_DestroyWindow(window);
    }
    if (focus != nullptr) {
        SDL_RaiseWindow(focus);
        SDL_SetWindowInputFocus(focus);
    }
    SDL_FreeSurface(picture);
    if (glContext != nullptr) {
        SDL_GL_MakeCurrent(glWindow, glContext);
    }
    return drawn;
}

}  // namespace platform
