#pragma once

#include "bindings/theme_api.h"
#include "framework/subclassed_window.h"

// A section header of the settings dialog: the title on the left and an
// etched rule from just after it to the right edge, drawn with the visual
// style when one is in use, in the classic look otherwise.
class CSectionLabel : public SubclassedWindow {
public:
    // Draws with the application's visual-style binding.
    CSectionLabel();
    // The binding must outlive the label.
    explicit CSectionLabel(const ThemeApi& themes);
    ~CSectionLabel() override;

    ThemeHandle theme() const { return theme_; }

    // Pixels between the end of the title and the start of the rule.
    static constexpr int kRuleGap = 7;
    // The theme part of the "window" class the title is drawn with.
    static constexpr int kDialogPart = 29;

protected:
    void OnAttach() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OpenTheme();
    void CloseTheme();
    void Paint();
    void DrawTitle(HDC dc, const RECT& client, const char* title);
    static void DrawRule(HDC dc, int titleWidth, const RECT& client);

    const ThemeApi& themes_;
    ThemeHandle theme_ = nullptr;
};
