// The main dialog: the form that corrects a gas concentration for the environment.
#pragma once

#include <array>

#include "core/correction_run.h"
#include "framework/afxwin.h"

// Fills the unit lists and default values, runs a correction on "Execute
// Calculation", paints its icon while minimised and opens the About box from
// the system menu.
class CCorrectionDlg : public CDialog {
public:
    // Runs the About box. The application shell owns the About box, and the
    // shell depends on this class, so the shell hands it in rather than this
    // class reaching back for it.
    using AboutBoxRunner = void (*)();

    explicit CCorrectionDlg(AboutBoxRunner runAboutBox, CWnd* pParent = nullptr);

protected:
    // Fills the lists and the default values and adds the About entry to the system menu.
    BOOL OnInitDialog() override;
    // Opens the About box for the About entry; everything else is the platform's.
    void OnSysCommand(UINT nID, LPARAM lParam);
    // Draws the icon centred in the client area while minimised.
    void OnPaint();
    // The icon shown while the minimised window is dragged.
    HCURSOR OnQueryDragIcon();
    // Reads the fields and lists, runs the correction, and shows its message or results.
    void OnExecuteCalculation();

    DECLARE_MESSAGE_MAP()

private:
    // Appends a separator and the About entry to the system menu, when there is one and a text for it.
    void AddAboutEntry();
    // Fills one unit list with its texts in order and selects the first.
    static void FillUnitList(CWnd* list, const auto& texts);

    AboutBoxRunner m_runAboutBox;
    HICON m_hIcon;
    CWnd* m_temperatureUnits = nullptr;
    CWnd* m_pressureUnits = nullptr;
    CWnd* m_distanceUnits = nullptr;
    // Fields 1005 to 1014: the six inputs, then the four results.
    std::array<CWnd*, 10> m_fields{};
    // The current input values, in the units the lists show.
    kestrane::CorrectionInputs m_inputs;
};
