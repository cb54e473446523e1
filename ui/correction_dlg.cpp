#include "ui/correction_dlg.h"

#include <string>

#include "res/resource.h"

namespace {

// Field ids in the order the fields are kept: inputs 1005 to 1010, results 1011 to 1014.
constexpr std::array<int, 10> kFieldIds = {
    IDC_TARGET_GAS, IDC_TARGET_PRESSURE, IDC_BAROMETRIC,        IDC_TEMPERATURE,    IDC_ALTITUDE,
    IDC_HUMIDITY,   IDC_CALC_GAS,        IDC_CALC_GAS_PRESSURE, IDC_VAPOR_PRESSURE, IDC_CORRECTED_BAROMETER};
constexpr std::size_t kCalcGas = 6;
constexpr std::size_t kCalcGasPressure = 7;
constexpr std::size_t kVaporPressure = 8;
constexpr std::size_t kCorrectedBarometer = 9;

// A default value and the format it is written with, from the core's field table.
struct DefaultValue {
    double value;
    kestrane::FixedFormat format;
};
constexpr std::array<DefaultValue, 6> kDefaults = [] {
    std::array<DefaultValue, 6> defaults{};
    for (std::size_t i = 0; i < defaults.size(); ++i)
        defaults[i] = {kestrane::field_table[i].default_value, kestrane::field_table[i].default_format};
    return defaults;
}();

// The current selection of a unit list (-1 when none).
int Selection(const CWnd* list) {
    return static_cast<int>(list->SendMessage(CB_GETCURSEL));
}

}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CCorrectionDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_EXECUTE, OnExecuteCalculation)
END_MESSAGE_MAP()
// clang-format on

CCorrectionDlg::CCorrectionDlg(AboutBoxRunner runAboutBox, CWnd* pParent)
    : CDialog(IDD_CORRECTION_DIALOG, pParent), m_runAboutBox(runAboutBox) {
    LPCSTR icon = MAKEINTRESOURCEA(IDR_MAINFRAME);
    m_hIcon = ::LoadIconA(AfxFindResourceHandle(icon, RT_GROUP_ICON), icon);
}

BOOL CCorrectionDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddAboutEntry();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    m_temperatureUnits = GetDlgItem(IDC_TEMP_UNITS);
    FillUnitList(m_temperatureUnits, kestrane::temperature_unit_texts);
    m_pressureUnits = GetDlgItem(IDC_PRESSURE_UNITS);
    FillUnitList(m_pressureUnits, kestrane::pressure_unit_texts);
    m_distanceUnits = GetDlgItem(IDC_DISTANCE_UNITS);
    FillUnitList(m_distanceUnits, kestrane::distance_unit_texts);

    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i] = GetDlgItem(kFieldIds[i]);

    m_inputs = {kDefaults[0].value, kDefaults[1].value, kDefaults[2].value,
                kDefaults[3].value, kDefaults[4].value, kDefaults[5].value};
    for (std::size_t i = 0; i < kDefaults.size(); ++i) {
        m_fields[i]->SetWindowText(kestrane::format_value(kDefaults[i].value, kDefaults[i].format).c_str());
    }
    // Enter in an input field presses Execute Calculation without help: of the two
    // buttons with the default-button style, the dialog manager makes the later one
    // the default.
    return TRUE;
}

void CCorrectionDlg::AddAboutEntry() {
    CMenu* menu = GetSystemMenu(FALSE);
    if (menu == nullptr)
        return;
    CString text;
    text.LoadString(IDS_ABOUTBOX);
    if (text.IsEmpty())
        return;
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, text);
}

void CCorrectionDlg::FillUnitList(CWnd* list, const auto& texts) {
    for (std::string_view text : texts) {
        const std::string item(text);
        list->SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    list->SendMessage(CB_SETCURSEL, 0);
}

void CCorrectionDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        m_runAboutBox();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CCorrectionDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect{};
    GetClientRect(&rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CCorrectionDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CCorrectionDlg::OnExecuteCalculation() {
    std::array<CString, kestrane::field_count> texts;
    kestrane::FieldTexts views;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        m_fields[i]->GetWindowText(texts[i]);
        views[i] = texts[i].View();
    }
    const kestrane::UnitSelection selection{Selection(m_temperatureUnits), Selection(m_pressureUnits),
                                            Selection(m_distanceUnits)};
    const kestrane::RunOutcome outcome = kestrane::run_correction(views, selection);
    if (outcome.refused()) {
        const std::string message(outcome.message());
        MessageBox(message.c_str(), nullptr, MB_OK);
        return;
    }
    const kestrane::ResultTexts& results = outcome.texts();
    m_fields[kVaporPressure]->SetWindowText(results.vapor_pressure_pct.c_str());
    m_fields[kCorrectedBarometer]->SetWindowText(results.corrected_barometer.c_str());
    m_fields[kCalcGas]->SetWindowText(results.calculated_gas_pct.c_str());
    m_fields[kCalcGasPressure]->SetWindowText(results.calculated_gas_pressure.c_str());
}
