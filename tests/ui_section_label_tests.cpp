// The section header label, painted for real: a top-level window at the
// screen's corner holds a static control, the label is attached to it, and
// the control's client area is copied from its window DC into a memory
// bitmap whose pixels are checked. Classic cases draw with the application's
// binding (off under Wine); themed cases give the label a binding of Wine's
// UxTheme.dll, or of the recording stand-in
// (bin\standins\uxtheme\TwUxTheme.dll), made through the binding's inputs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "bindings/theme_api.h"
#include "framework/gdi_object.h"
#include "tests/ui_uxtheme_standin.h"
#include "ui/section_label.h"

using uxtheme_standin::Number;

namespace {

// The host window's own background: what the themed look shows through.
const COLORREF kParentColour = RGB(0x30, 0x90, 0x60);
// Put on the control before each repaint: whatever the label leaves unpainted
// keeps it (the static control erases no background of its own).
const COLORREF kMarker = RGB(0x11, 0x22, 0x33);
const char kHostClass[] = "TwSectionLabelTestHost";
// Client size of the label in most cases; the rule lies on rows 9 and 10.
const int kWidth = 240;
const int kHeight = 17;

using Pixel = std::pair<int, int>;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    // Pixels of one colour in the columns from xFrom up to xTo.
    std::set<Pixel> Find(COLORREF colour, int xFrom = 0, int xTo = INT_MAX) const {
        std::set<Pixel> found;
        for (int y = 0; y < height; ++y) {
            for (int x = xFrom; x < xTo && x < width; ++x) {
                if (At(x, y) == colour) found.insert({x, y});
            }
        }
        return found;
    }
    int Count(COLORREF colour, int xFrom = 0, int xTo = INT_MAX) const {
        return static_cast<int>(Find(colour, xFrom, xTo).size());
    }
};

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The client area as it is on screen, read back from the window's DC.
Image Capture(HWND window) {
    Pump();
    Image image;
    RECT client = {};
    GetClientRect(window, &client);
    image.width = client.right;
    image.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC windowDc = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDc);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.width, image.height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* quads = static_cast<const RGBQUAD*>(bits);
    for (int i = 0; i < image.width * image.height; ++i) {
        image.pixels.push_back(RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue));
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
    return image;
}

Image Repaint(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    Brush marker(CreateSolidBrush(kMarker));
    FillRect(dc, &client, marker.get());
    ReleaseDC(window, dc);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    return Capture(window);
}

// Fonts without smoothing, so that text has exactly its colour.
Font MakeFont(int height, int weight) {
    return Font(CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, "Tahoma"));
}

int TextWidth(HFONT font, const char* text) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, previous);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

COLORREF Face() { return GetSysColor(COLOR_BTNFACE); }
COLORREF Shadow() { return GetSysColor(COLOR_BTNSHADOW); }
COLORREF Highlight() { return GetSysColor(COLOR_BTNHIGHLIGHT); }
COLORREF Text() { return GetSysColor(COLOR_BTNTEXT); }

// The column from which rows h/2+1 (shadow) and h/2+2 (highlight) run
// unbroken to the right edge; the width when there is no rule.
int RuleStart(const Image& image) {
    const int y = image.height / 2;
    int x = image.width;
    while (x > 0 && image.At(x - 1, y + 1) == Shadow() && image.At(x - 1, y + 2) == Highlight()) --x;
    return x;
}

// The rule from x0 on, nothing of it on its rows from column `clear` up to
// x0, and the background just above and below it.
void ExpectRule(const Image& image, int x0, COLORREF background, int clear = 0) {
    const int y = image.height / 2;
    ASSERT_LT(x0, image.width);
    EXPECT_EQ(x0, RuleStart(image));
    int strays = 0;
    for (int x = clear; x < x0; ++x) {
        strays += image.At(x, y + 1) == Shadow() || image.At(x, y + 2) == Highlight();
    }
    EXPECT_EQ(0, strays) << "rule pixels left of " << x0;
    for (int x = x0; x < image.width; ++x) {
        ASSERT_EQ(background, image.At(x, y)) << "above the rule at " << x;
        ASSERT_EQ(background, image.At(x, y + 3)) << "below the rule at " << x;
    }
}

// A top-level window at (0,0) holding one static control with a static
// edge, the way the settings dialog holds a section header.
class Host {
public:
    Host(const char* title, int clientWidth = kWidth, int clientHeight = kHeight, HFONT font = nullptr) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = DefWindowProcA;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.hbrBackground = CreateSolidBrush(kParentColour);
            windowClass.lpszClassName = kHostClass;
            registered = RegisterClassA(&windowClass) != 0;
        }
        parent_ = CreateWindowExA(0, kHostClass, "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                  clientWidth + 40, clientHeight + 40, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
        // The static edge takes one pixel on each side.
        label_ = CreateWindowExA(WS_EX_STATICEDGE | WS_EX_NOPARENTNOTIFY, "STATIC", title,
                                 WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10, clientWidth + 2, clientHeight + 2, parent_,
                                 reinterpret_cast<HMENU>(1026), GetModuleHandleA(nullptr), nullptr);
        if (font) SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        UpdateWindow(parent_);
        Pump();
    }
    ~Host() {
        if (IsWindow(parent_)) DestroyWindow(parent_);
        Pump();
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    HWND parent() const { return parent_; }
    HWND label() const { return label_; }

private:
    HWND parent_ = nullptr;
    HWND label_ = nullptr;
};

class SectionLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The pixel checks need the colours apart.
        const COLORREF colours[] = {Face(), Shadow(), Highlight(), Text(), kParentColour, kMarker};
        for (size_t i = 0; i < 6; ++i) {
            for (size_t j = i + 1; j < 6; ++j) ASSERT_NE(colours[i], colours[j]) << i << " " << j;
        }
        ASSERT_FALSE(ApplicationThemes().Enabled());
        font_ = MakeFont(13, FW_BOLD);
        ASSERT_TRUE(font_);
    }

    HFONT font() const { return font_.get(); }

private:
    Font font_;
};

// The classic look: the application's binding has themes off.
using SectionLabel = SectionLabelTest;

TEST_F(SectionLabel, AttachDropsTheStaticEdgeAndKeepsTheFrame) {
    Host host("Filters", kWidth, kHeight, font());
    RECT windowBefore = {}, clientBefore = {};
    GetWindowRect(host.label(), &windowBefore);
    GetClientRect(host.label(), &clientBefore);
    ASSERT_TRUE(GetWindowLongPtrA(host.label(), GWL_EXSTYLE) & WS_EX_STATICEDGE);

    CSectionLabel label;
    ASSERT_TRUE(label.Attach(host.label()));
    const LONG_PTR exStyle = GetWindowLongPtrA(host.label(), GWL_EXSTYLE);
    EXPECT_FALSE(exStyle & WS_EX_STATICEDGE);
    EXPECT_TRUE(exStyle & WS_EX_NOPARENTNOTIFY);
    EXPECT_EQ(nullptr, label.theme());
    // No frame change: the window and its client area stay where they were.
    RECT windowAfter = {}, clientAfter = {};
    GetWindowRect(host.label(), &windowAfter);
    GetClientRect(host.label(), &clientAfter);
    EXPECT_TRUE(EqualRect(&windowBefore, &windowAfter));
    EXPECT_TRUE(EqualRect(&clientBefore, &clientAfter));
    EXPECT_EQ(kWidth, clientAfter.right);
    EXPECT_EQ(kHeight, clientAfter.bottom);
}

// Fonts of a different width each: the fixture's bold one and a large one.
struct LabelFont {
    const char* name;
    int height;
    int weight;
};

class SectionLabelFont : public SectionLabelTest, public ::testing::WithParamInterface<LabelFont> {};

TEST_P(SectionLabelFont, ClassicLookDrawsTitleAndEtchedRuleInTheGivenFont) {
    Font given = MakeFont(GetParam().height, GetParam().weight);
    Host host("Filters", kWidth, 25, given.get());
    CSectionLabel label;
    ASSERT_TRUE(label.Attach(host.label()));
    const Image image = Repaint(host.label());
    const int titleWidth = TextWidth(given.get(), "Filters");
    const int x0 = titleWidth + CSectionLabel::kRuleGap;

    ExpectRule(image, x0, Face());
    // The button face everywhere but the title and the rule.
    EXPECT_EQ(0, image.Count(kMarker));
    EXPECT_EQ(0, image.Count(kParentColour));
    EXPECT_EQ(Face(), image.At(0, image.height - 1));
    EXPECT_EQ(Face(), image.At(image.width - 1, 0));
    EXPECT_EQ(Face(), image.At(image.width - 1, image.height - 1));
    // The title in the text colour, within its measured width.
    const std::set<Pixel> text = image.Find(Text());
    EXPECT_GT(text.size(), 20u);
    int rightmost = 0;
    for (const Pixel& pixel : text) rightmost = std::max(rightmost, pixel.first);
    // The last glyph's advance runs a few pixels past its ink.
    EXPECT_LE(rightmost, titleWidth);
    EXPECT_GT(rightmost, titleWidth * 3 / 4);
    EXPECT_EQ(image.width - x0, image.Count(Shadow()));
    EXPECT_EQ(image.width - x0, image.Count(Highlight()));
}

INSTANTIATE_TEST_SUITE_P(Fonts, SectionLabelFont,
                         ::testing::Values(LabelFont{"bold", 13, FW_BOLD}, LabelFont{"large", 20, FW_NORMAL}),
                         [](const ::testing::TestParamInfo<LabelFont>& info) { return info.param.name; });

TEST_F(SectionLabel, FontsOfTheLookCasesMeasureDifferently) {
    EXPECT_NE(TextWidth(font(), "Filters"), TextWidth(MakeFont(20, FW_NORMAL).get(), "Filters"));
}

TEST_F(SectionLabel, MnemonicIsUnderlinedButNotMeasured) {
    auto render = [this](const char* title) {
        Host host(title, kWidth, kHeight, font());
        CSectionLabel label;
        EXPECT_TRUE(label.Attach(host.label()));
        return Repaint(host.label());
    };
    const Image plainImage = render("Filters");
    const Image mnemonicImage = render("&Filters");

    const int x0 = TextWidth(font(), "Filters") + CSectionLabel::kRuleGap;
    ExpectRule(plainImage, x0, Face());
    ExpectRule(mnemonicImage, x0, Face());
    // The only difference is the underline: text-coloured pixels on one row
    // under the "F".
    std::set<int> rows;
    int differences = 0;
    const int underlineLimit = TextWidth(font(), "F") + 1;
    for (int y = 0; y < plainImage.height; ++y) {
        for (int x = 0; x < plainImage.width; ++x) {
            if (plainImage.At(x, y) == mnemonicImage.At(x, y)) continue;
            ++differences;
            rows.insert(y);
            EXPECT_EQ(Text(), mnemonicImage.At(x, y)) << x << "," << y;
            EXPECT_LT(x, underlineLimit) << x << "," << y;
        }
    }
    EXPECT_GT(differences, 3);
    EXPECT_EQ(1u, rows.size());
}

TEST_F(SectionLabel, TitleWiderThanTheControlLeavesNoRule) {
    const int width = 60;
    ASSERT_GT(TextWidth(font(), "Conflict Resolution") + CSectionLabel::kRuleGap, width);
    Host host("Conflict Resolution", width, kHeight, font());
    CSectionLabel label;
    ASSERT_TRUE(label.Attach(host.label()));
    const Image image = Repaint(host.label());
    EXPECT_EQ(0, image.Count(Shadow()));
    EXPECT_EQ(0, image.Count(Highlight()));
    EXPECT_GT(image.Count(Text()), 20);
    EXPECT_GT(image.Count(Face()), 0);
    EXPECT_EQ(0, image.Count(kParentColour));
    EXPECT_EQ(0, image.Count(kMarker));
}

TEST_F(SectionLabel, NewTitleRepaintsTheWholeControlAndMovesTheRule) {
    Host host("Filters", kWidth, kHeight, font());
    CSectionLabel label;
    ASSERT_TRUE(label.Attach(host.label()));
    const int shortStart = TextWidth(font(), "Filters") + CSectionLabel::kRuleGap;
    const int longStart = TextWidth(font(), "Conflict Resolution") + CSectionLabel::kRuleGap;
    ASSERT_LT(shortStart + 10, longStart);
    ExpectRule(Repaint(host.label()), shortStart, Face());

    // No invalidation by the test: the label must ask for its own repaint.
    EXPECT_EQ(TRUE, SendMessageA(host.label(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Conflict Resolution")));
    const Image longer = Capture(host.label());
    ExpectRule(longer, longStart, Face());
    EXPECT_GT(longer.Count(Text()), 20);

    EXPECT_TRUE(SetWindowTextA(host.label(), "Filters"));
    const Image shorter = Capture(host.label());
    ExpectRule(shorter, shortStart, Face());
    // The old, longer title is gone.
    EXPECT_GT(longer.Count(Text(), shortStart), 20);
    EXPECT_EQ(0, shorter.Count(Text(), shortStart));
}

TEST_F(SectionLabel, DisabledLabelIsEmbossed) {
    Host host("Filters", kWidth, kHeight, font());
    CSectionLabel label;
    ASSERT_TRUE(label.Attach(host.label()));
    const int x0 = TextWidth(font(), "Filters") + CSectionLabel::kRuleGap;
    const Image enabled = Repaint(host.label());
    const std::set<Pixel> glyphs = enabled.Find(Text(), 0, x0);
    ASSERT_GT(glyphs.size(), 20u);
    EXPECT_EQ(0, enabled.Count(Highlight(), 0, x0));
    EXPECT_EQ(0, enabled.Count(Shadow(), 0, x0));

    // Disabling alone must repaint the header, not the plain static control.
    EnableWindow(host.label(), FALSE);
    const Image disabled = Capture(host.label());
    // The embossed title has the rule's colours itself.
    ExpectRule(disabled, x0, Face(), x0 - CSectionLabel::kRuleGap + 1);
    EXPECT_EQ(0, disabled.Count(Text()));
    // The shadow copy where the text was; the highlight copy one pixel down
    // and right, under the shadow copy.
    EXPECT_EQ(glyphs, disabled.Find(Shadow(), 0, x0));
    std::set<Pixel> highlight;
    for (const Pixel& pixel : glyphs) {
        const Pixel moved(pixel.first + 1, pixel.second + 1);
        if (moved.second < disabled.height && !glyphs.count(moved)) highlight.insert(moved);
    }
    EXPECT_FALSE(highlight.empty());
    EXPECT_EQ(highlight, disabled.Find(Highlight(), 0, x0));

    EnableWindow(host.label(), TRUE);
    EXPECT_EQ(enabled.pixels, Capture(host.label()).pixels);
}

std::string g_uxThemePath;
DWORD Version6(const char*) { return 0x00060000; }
DWORD Version5_82(const char*) { return 0x00050052; }
Module LoadUxTheme(const char*) { return Module::Load(g_uxThemePath.c_str()); }
const theme::BindingInputs kThemed = {&Version6, &LoadUxTheme};
const theme::BindingInputs kOldCommonControls = {&Version5_82, &LoadUxTheme};

// Themed cases: each binds UxTheme for itself and releases it at the end.
class SectionLabelThemed : public SectionLabelTest {
protected:
    void SetUp() override {
        SectionLabelTest::SetUp();
        uxtheme_standin::Reset();
    }
    void TearDown() override {
        binding_.reset();
        EXPECT_EQ(nullptr, GetModuleHandleA(uxtheme_standin::Path().c_str()));
    }

    // A binding of the library at path with themes on, kept to the end of the case.
    const ThemeApi& Bind(const std::string& path) {
        g_uxThemePath = path;
        binding_ = std::make_unique<ThemeApi>(kThemed);
        EXPECT_TRUE(binding_->Enabled());
        return *binding_;
    }

    // The stand-in's record from where a test last looked.
    std::string NewLog() {
        const std::string log = uxtheme_standin::Log();
        const std::string fresh = log.substr(std::min(seen_, log.size()));
        seen_ = log.size();
        return fresh;
    }

private:
    std::unique_ptr<ThemeApi> binding_;
    size_t seen_ = 0;
};


TEST_F(SectionLabelThemed, WinesThemeShowsTheParentBehindTitleAndRule) {
    const ThemeApi& binding = Bind("UxTheme.dll");
    ASSERT_TRUE(binding.Enabled());
    Host host("&Filters", kWidth, kHeight, font());
    CSectionLabel label(binding);
    ASSERT_TRUE(label.Attach(host.label()));
    ASSERT_NE(nullptr, label.theme());
    const int x0 = TextWidth(font(), "Filters") + CSectionLabel::kRuleGap;

    const Image enabled = Repaint(host.label());
    ExpectRule(enabled, x0, kParentColour);
    EXPECT_EQ(0, enabled.Count(Face()));
    EXPECT_EQ(0, enabled.Count(kMarker));
    EXPECT_EQ(kParentColour, enabled.At(0, enabled.height - 1));
    EXPECT_EQ(kParentColour, enabled.At(enabled.width - 1, 0));
    // Some title, and nothing of it beyond its width.
    int title = 0, beyond = 0;
    for (int y = 0; y < enabled.height; ++y) {
        for (int x = 0; x < enabled.width; ++x) {
            if (enabled.At(x, y) == kParentColour) continue;
            if (x < x0) ++title;
            else if (y != enabled.height / 2 + 1 && y != enabled.height / 2 + 2) ++beyond;
        }
    }
    EXPECT_GT(title, 20);
    EXPECT_EQ(0, beyond);

    // Themed text looks the same enabled or not.
    EnableWindow(host.label(), FALSE);
    const Image disabled = Repaint(host.label());
    EXPECT_EQ(enabled.pixels, disabled.pixels);

    EXPECT_EQ(0, SendMessageA(host.label(), WM_THEMECHANGED, 0, 0));
    EXPECT_NE(nullptr, label.theme());
    EXPECT_EQ(enabled.pixels, Repaint(host.label()).pixels);

    DestroyWindow(host.parent());
    EXPECT_EQ(nullptr, label.theme());
}

TEST_F(SectionLabelThemed, DrawsThroughTheThemeEntries) {
    const ThemeApi& binding = Bind(uxtheme_standin::Path());
    ASSERT_TRUE(binding.Enabled());
    NewLog();
    Host host("&Filters", kWidth, kHeight, font());
    CSectionLabel label(binding);
    ASSERT_TRUE(label.Attach(host.label()));
    const std::string window = Number(host.label());
    EXPECT_EQ("OpenThemeData(" + window + ",window);", NewLog());
    ASSERT_NE(nullptr, label.theme());

    const std::string drawing = "DrawThemeParentBackground(" + window + ",0,0,240,17);DrawThemeText(" +
                                Number(label.theme()) + ",29,0,&Filters,-1,0,0,0,0,240,17);";
    // The stand-in draws nothing: all but the rule keeps the marker, so any
    // classic drawing would show.
    const Image enabled = Repaint(host.label());
    EXPECT_EQ(drawing, NewLog());
    ExpectRule(enabled, TextWidth(font(), "Filters") + CSectionLabel::kRuleGap, kMarker);
    const int rule = 2 * (kWidth - TextWidth(font(), "Filters") - CSectionLabel::kRuleGap);
    EXPECT_EQ(kWidth * kHeight - rule, enabled.Count(kMarker));

    EnableWindow(host.label(), FALSE);
    Repaint(host.label());
    EXPECT_EQ(drawing, NewLog());
}

TEST_F(SectionLabelThemed, ThemeChangeReopensAndClassicThemeGivesClassicLook) {
    const ThemeApi& binding = Bind(uxtheme_standin::Path());
    ASSERT_TRUE(binding.Enabled());
    Host host("Filters", kWidth, kHeight, font());
    CSectionLabel label(binding);
    ASSERT_TRUE(label.Attach(host.label()));
    const std::string window = Number(host.label());
    const ThemeHandle first = label.theme();
    ASSERT_NE(nullptr, first);
    NewLog();

    EXPECT_EQ(0, SendMessageA(host.label(), WM_THEMECHANGED, 0, 0));
    const ThemeHandle second = label.theme();
    EXPECT_NE(nullptr, second);
    EXPECT_NE(first, second);
    EXPECT_EQ("CloseThemeData(" + Number(first) + ");OpenThemeData(" + window + ",window);", NewLog());

    // The user picks the classic look: no handle, classic painting.
    SetEnvironmentVariableA("TW_UXTHEME_NO_THEME", "1");
    EXPECT_EQ(0, SendMessageA(host.label(), WM_THEMECHANGED, 0, 0));
    EXPECT_EQ(nullptr, label.theme());
    EXPECT_EQ("CloseThemeData(" + Number(second) + ");OpenThemeData(" + window + ",window);", NewLog());
    const Image classic = Repaint(host.label());
    EXPECT_EQ("", NewLog());
    ExpectRule(classic, TextWidth(font(), "Filters") + CSectionLabel::kRuleGap, Face());
    EXPECT_GT(classic.Count(Text()), 20);
    EXPECT_EQ(0, classic.Count(kParentColour));
    EXPECT_EQ(0, classic.Count(kMarker));

    // Nothing to close the next time.
    EXPECT_EQ(0, SendMessageA(host.label(), WM_THEMECHANGED, 0, 0));
    EXPECT_EQ("OpenThemeData(" + window + ",window);", NewLog());
}

TEST_F(SectionLabelThemed, ClosesTheThemeOnceWhenTheWindowOrTheObjectGoes) {
    const ThemeApi& binding = Bind(uxtheme_standin::Path());
    ASSERT_TRUE(binding.Enabled());
    {
        Host host("Filters", kWidth, kHeight, font());
        CSectionLabel label(binding);
        ASSERT_TRUE(label.Attach(host.label()));
        const ThemeHandle theme = label.theme();
        ASSERT_NE(nullptr, theme);
        NewLog();
        DestroyWindow(host.parent());
        EXPECT_EQ(nullptr, label.theme());
        EXPECT_EQ("CloseThemeData(" + Number(theme) + ");", NewLog());
    }
    EXPECT_EQ("", NewLog());

    Host host("Filters", kWidth, kHeight, font());
    {
        auto label = std::make_unique<CSectionLabel>(binding);
        ASSERT_TRUE(label->Attach(host.label()));
        const ThemeHandle theme = label->theme();
        ASSERT_NE(nullptr, theme);
        NewLog();
        label.reset();
        EXPECT_EQ("CloseThemeData(" + Number(theme) + ");", NewLog());
    }
    // The control has its own procedure back and works without the object.
    SendMessageA(host.label(), WM_THEMECHANGED, 0, 0);
    EXPECT_TRUE(SetWindowTextA(host.label(), "Conflict Resolution"));
    Repaint(host.label());
    EXPECT_EQ("", NewLog());
}

// Labels that end up without a theme: the application's binding after
// another binding came and went; a binding made with common controls before
// 6.0; one made with Wine's own inputs.
enum class Unthemed { kAfterAReleasedBinding, kOldCommonControls, kSystemInputs };

class SectionLabelUnthemed : public SectionLabelThemed, public ::testing::WithParamInterface<Unthemed> {};

TEST_P(SectionLabelUnthemed, NoThemeWithoutABinding) {
    g_uxThemePath = uxtheme_standin::Path();
    const int x0 = TextWidth(font(), "Filters") + CSectionLabel::kRuleGap;
    std::unique_ptr<ThemeApi> binding;
    if (GetParam() == Unthemed::kAfterAReleasedBinding) {
        const ThemeApi released(kThemed);
        EXPECT_TRUE(released.Enabled());
    }
    if (GetParam() == Unthemed::kOldCommonControls) binding = std::make_unique<ThemeApi>(kOldCommonControls);
    if (GetParam() == Unthemed::kSystemInputs) binding = std::make_unique<ThemeApi>();
    const ThemeApi& themes = binding ? *binding : ApplicationThemes();
    ASSERT_FALSE(themes.Enabled());
    Host host("Filters", kWidth, kHeight, font());
    CSectionLabel label(themes);
    ASSERT_TRUE(label.Attach(host.label()));
    EXPECT_EQ(nullptr, label.theme());
    SendMessageA(host.label(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(nullptr, label.theme());
    const Image image = Repaint(host.label());
    ExpectRule(image, x0, Face());
    EXPECT_GT(image.Count(Text()), 20);
    EXPECT_EQ(0, image.Count(kMarker));
    // Only the released binding ever touched the stand-in.
    EXPECT_EQ(GetParam() == Unthemed::kAfterAReleasedBinding ? "attach;IsThemeActive();detach;" : "", NewLog());
}

INSTANTIATE_TEST_SUITE_P(Bindings, SectionLabelUnthemed,
                         ::testing::Values(Unthemed::kAfterAReleasedBinding, Unthemed::kOldCommonControls,
                                           Unthemed::kSystemInputs));

}  // namespace
