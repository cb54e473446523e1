#include "ui/correction_dlg.h"

#include <string>

#include "res/resource.h"
#include "ui/about_dlg.h"

namespace {

// Input field ids in the order the run reads them.
constexpr std::array<int, kestrane::field_count> kInputIds = {IDC_TARGET_GAS,  IDC_TARGET_PRESSURE, IDC_BAROMETRIC,
                                                              IDC_TEMPERATURE, IDC_ALTITUDE,        IDC_HUMIDITY};

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

CCorrectionDlg::CCorrectionDlg(CWnd* pParent) : CDialog(IDD_CORRECTION_DIALOG, pParent) {
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
        m_fields[i] = GetDlgItem(kInputIds[i]);
    m_calcGas = GetDlgItem(IDC_CALC_GAS);
    m_calcGasPressure = GetDlgItem(IDC_CALC_GAS_PRESSURE);
    m_vaporPressure = GetDlgItem(IDC_VAPOR_PRESSURE);
    m_correctedBarometer = GetDlgItem(IDC_CORRECTED_BAROMETER);

    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->SetWindowText(kestrane::default_text(static_cast<kestrane::Field>(i)).c_str());
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
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
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
    m_vaporPressure->SetWindowText(results.vapor_pressure_pct.c_str());
    m_correctedBarometer->SetWindowText(results.corrected_barometer.c_str());
    m_calcGas->SetWindowText(results.calculated_gas_pct.c_str());
    m_calcGasPressure->SetWindowText(results.calculated_gas_pressure.c_str());
}
