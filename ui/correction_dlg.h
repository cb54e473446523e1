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
    explicit CCorrectionDlg(CWnd* pParent = nullptr);

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

    HICON m_hIcon;
    CWnd* m_temperatureUnits = nullptr;
    CWnd* m_pressureUnits = nullptr;
    CWnd* m_distanceUnits = nullptr;
    // The six input fields, 1005 to 1010, in the order the run reads them.
    std::array<CWnd*, kestrane::field_count> m_fields{};
    // The four result fields.
    CWnd* m_calcGas = nullptr;
    CWnd* m_calcGasPressure = nullptr;
    CWnd* m_vaporPressure = nullptr;
    CWnd* m_correctedBarometer = nullptr;
};
