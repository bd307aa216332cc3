// The list, header and link extensions on the main window's template, in a
// real window.
#include <algorithm>
#include <vector>

#include "res_ids/resource_ids.h"
#include "tests/common/program_ui_env.h"
#include "uploader/ListCtrlExtension.h"
#include "uploader/StaticExtension.h"

namespace {

// The main window's controls with the colour rules of the main window.
class MainLikeDialog : public CDialog {
 public:
  MainLikeDialog() : CDialog(MainDlgIds::kIdd) {}
  std::function<void(MainLikeDialog&)> script;
  CListCtrlExtension m_list;
  CStaticExtension m_circuit, m_login, m_terms, m_plain;
  int circuitClicks = 0;
  int itemChanges = 0;

  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, MainDlgIds::kIdList, m_list);
    DDX_Control(dx, MainDlgIds::kIdCircuit, m_circuit);
    DDX_Control(dx, MainDlgIds::kIdLogin, m_login);
    DDX_Control(dx, MainDlgIds::kIdTerms, m_terms);
    DDX_Control(dx, MainDlgIds::kIdRally, m_plain);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_circuit.SetLinkStyle(kLinkDarkBackgroundBright);
    m_login.SetLinkStyle(kLinkHandBrightText);
    m_plain.SetLinkStyle(kLinkPlain);
    m_list.SetExtendedStyle(LVS_EX_CHECKBOXES);
    m_list.SetBkColor(0x404040);
    m_list.SetTextColor(0xFFFFFF);
    AfxPostToUiThread([this]() { script(*this); });
    return FALSE;
  }
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT) {
    dc->SetBkMode(TRANSPARENT);
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    auto* link = dynamic_cast<CStaticExtension*>(wnd);
    int id = wnd->GetDlgCtrlID();
    if (id == MainDlgIds::kIdStatus || id == MainDlgIds::kIdTerms || id == MainDlgIds::kIdWorkspace)
      dc->SetTextColor(0xFFFFFF);
    if (link != nullptr && id != MainDlgIds::kIdTerms) {
      const LinkStyle style = link->GetLinkStyle();
      if ((style == kLinkDarkBackground || style == kLinkDarkBackgroundBright) && link->IsTracking())
        brush = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
      if (style >= kLinkBrightText) dc->SetTextColor(link->IsTracking() ? 0xFFFFFF : 0x808080);
    }
    return brush;
  }
  void OnCircuit() { ++circuitClicks; }
  void OnListItemChanged(NMHDR*, LRESULT* result) {
    ++itemChanges;
    *result = 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MainLikeDialog, CDialog)
ON_WM_CTLCOLOR()
ON_BN_CLICKED(MainDlgIds::kIdCircuit, &MainLikeDialog::OnCircuit)
ON_NOTIFY(LVN_ITEMCHANGED, MainDlgIds::kIdList, &MainLikeDialog::OnListItemChanged)
END_MESSAGE_MAP()

const char16_t* kUsers[] = {u"  Kai  ", u"  Anna  ", u"  Mio  ", u"  Ben  ", u"  Eva  ", u"  Lia  "};
const char16_t* kDates[] = {u"  2020/03/01  12:00  ", u"  2019/11/30  09:15  ", u"  2020/01/15  16:40  ",
                            u"  2018/07/04  10:05  ", u"  2020/03/01  08:00  ", u"  2019/05/20  14:30  "};

void FillList(CListCtrlExtension& list) {
  list.SetRedraw(FALSE);
  const char16_t* heads[] = {u"No.",         u"Status",     u"User",       u"Date",
                             u"Fastest Lap", u"Total Time", u"Track Name", u"Note"};
  for (int c = 0; c < 8; ++c) list.InsertColumn(c, heads[c], c == 7 ? LVCFMT_LEFT : LVCFMT_CENTER);
  for (int k = 6; k >= 1; --k) {
    CString no;
    no.Format(u"   %d ", k);
    int row = list.InsertItem(0, no);
    list.SetItemText(row, 1, k % 3 == 0 ? u"Upload success" : u"");
    list.SetItemText(row, 2, kUsers[k - 1]);
    list.SetItemText(row, 3, kDates[k - 1]);
    list.SetItemText(row, 4, u"  01:23.456 (03/12)  ");
    list.SetItemText(row, 5, u"  00 : 25 : 41  ");
    list.SetItemText(row, 6, u"Pelmora Ring");
    list.SetItemText(row, 7, u"wet track");
    list.SetItemData(row, static_cast<DWORD_PTR>(100 + k));
  }
  list.AutoSizeColumns();
  list.SetRedraw(TRUE);
}

std::vector<DWORD_PTR> Order(CListCtrl& list) {
  std::vector<DWORD_PTR> out;
  for (int i = 0; i < list.GetItemCount(); ++i) out.push_back(list.GetItemData(i));
  return out;
}

void ExpectAlternatingRows(CListCtrlExtension& list) {
  for (int i = 0; i < list.GetItemCount(); ++i) {
    EXPECT_EQ(UiTestRowBkColor(&list, i), i % 2 == 0 ? 0x202020u : 0x404040u) << "row " << i;
  }
}

TEST(ListExtension, RowsKeepAlternatingColoursAndTheHeaderSortToggles) {
  REQUIRE_UI();
  CCheckHeadCtrl::ResetSortState();
  MainLikeDialog dlg;
  dlg.script = [](MainLikeDialog& d) {
    CListCtrlExtension& list = d.m_list;
    FillList(list);
    ASSERT_EQ(list.GetItemCount(), 6);
    // Rows and columns that do not exist are refused, not deleted.
    EXPECT_FALSE(list.DeleteColumn(8));
    EXPECT_FALSE(list.DeleteColumn(-1));
    EXPECT_FALSE(list.DeleteItem(6));
    EXPECT_FALSE(list.DeleteItem(-1));
    ASSERT_EQ(list.GetItemCount(), 6);
    EXPECT_EQ(list.GetItemData(0), 101u);  // record order, record 0 on top
    EXPECT_EQ(list.GetItemText(0, 0), CString(u"   1 "));
    ExpectAlternatingRows(list);
    // Every column as wide as its heading at least.
    CClientDC dc(&list);
    EXPECT_GE(list.GetColumnWidth(4), dc.GetTextExtent(CString(u"  01:23.456 (03/12)  ")).cx);

    list.SetCheck(1, TRUE);       // Anna, data 102
    list.SetCheck(4, TRUE);       // Eva, data 105
    EXPECT_EQ(d.itemChanges, 2);  // the parent sees the changes as well as the list

    UiTestColumnClick(&list, 3);  // Date, ascending
    EXPECT_EQ(CCheckHeadCtrl::GetSortColumn(), 3);
    EXPECT_EQ(CCheckHeadCtrl::GetAscending(), 1);
    EXPECT_EQ(Order(list), (std::vector<DWORD_PTR>{104, 106, 102, 103, 105, 101}));
    ExpectAlternatingRows(list);
    UiTestColumnClick(&list, 3);  // the same column again: descending
    EXPECT_EQ(CCheckHeadCtrl::GetAscending(), 0);
    EXPECT_EQ(Order(list), (std::vector<DWORD_PTR>{101, 105, 103, 102, 106, 104}));
    ExpectAlternatingRows(list);
    UiTestColumnClick(&list, 2);  // User: a new column starts ascending
    EXPECT_EQ(CCheckHeadCtrl::GetAscending(), 1);
    EXPECT_EQ(Order(list), (std::vector<DWORD_PTR>{102, 104, 105, 101, 106, 103}));
    ExpectAlternatingRows(list);
    // Check boxes travel with their rows.
    for (int i = 0; i < list.GetItemCount(); ++i) {
      DWORD_PTR data = list.GetItemData(i);
      EXPECT_EQ(list.GetCheck(i) != FALSE, data == 102 || data == 105) << data;
    }
    LVFINDINFO find{};
    find.flags = LVFI_PARAM;
    find.lParam = 106;
    EXPECT_EQ(list.FindItem(&find), 4);
    ShootThenEnd(d, "session_list", IDOK);
  };
  EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST(ListExtension, TheHeaderMarkFollowsWhetherEveryRowIsChecked) {
  REQUIRE_UI();
  MainLikeDialog dlg;
  dlg.script = [](MainLikeDialog& d) {
    CListCtrlExtension& list = d.m_list;
    FillList(list);
    HDITEM item{};
    item.mask = HDI_IMAGE;
    for (int i = 0; i < list.GetItemCount(); ++i) UiTestToggleCheck(&list, i);
    list.GetHeaderCtrl()->GetItem(0, &item);
    EXPECT_EQ(item.iImage, 2);
    UiTestToggleCheck(&list, 3);  // the user unticks one row
    EXPECT_FALSE(list.GetCheck(3));
    list.GetHeaderCtrl()->GetItem(0, &item);
    EXPECT_EQ(item.iImage, 1);
    EXPECT_EQ(d.itemChanges, 7);
    d.EndDialog(IDOK);
  };
  EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST(StaticExtension, LinksTrackTheMouseShowTheHandAndRepaintInTheirColours) {
  REQUIRE_UI();
  MainLikeDialog dlg;
  dlg.script = [](MainLikeDialog& d) {
    COLORREF text = 0, bk = 0;
    ASSERT_TRUE(UiTestCtlColors(&d.m_circuit, &text, &bk));
    EXPECT_EQ(text, 0x808080u);
    EXPECT_EQ(bk, 0x000000u);

    // Dark background, bright text: tracks, and on hover the parent paints it white on dark grey.
    UiTestMouse(&d.m_circuit, UiTestMouseAction::Enter);
    UiTestMouse(&d.m_circuit, UiTestMouseAction::Move, 5, 4);
    EXPECT_TRUE(d.m_circuit.IsTracking());
    ASSERT_TRUE(UiTestCtlColors(&d.m_circuit, &text, &bk));
    EXPECT_EQ(text, 0xFFFFFFu);
    EXPECT_EQ(bk, 0x404040u);
    UiTestMouse(&d.m_circuit, UiTestMouseAction::Leave);
    EXPECT_FALSE(d.m_circuit.IsTracking());
    ASSERT_TRUE(UiTestCtlColors(&d.m_circuit, &text, &bk));
    EXPECT_EQ(text, 0x808080u);

    // Hand, bright text: the hand cursor once the mouse rests (70 ms), kept while tracking.
    UiTestMouse(&d.m_login, UiTestMouseAction::Enter);
    UiTestMouse(&d.m_login, UiTestMouseAction::Move, 3, 3);
    ASSERT_TRUE(UiTestPumpUntil([&]() { return UiTestCursor(&d.m_login) != nullptr; }));
    EXPECT_EQ(UiTestCursor(&d.m_login), LoadCursor(nullptr, IDC_HAND));
    UiTestMouse(&d.m_login, UiTestMouseAction::Move, 4, 3);
    EXPECT_EQ(UiTestCursor(&d.m_login), LoadCursor(nullptr, IDC_HAND));
    UiTestMouse(&d.m_login, UiTestMouseAction::Leave);
    UiTestMouse(&d.m_login, UiTestMouseAction::Enter);
    EXPECT_EQ(UiTestCursor(&d.m_login), nullptr);  // back to the arrow until the next hover
    UiTestMouse(&d.m_login, UiTestMouseAction::Leave);

    // Plain: plain text, never tracks, never the hand.
    UiTestMouse(&d.m_plain, UiTestMouseAction::Enter);
    UiTestMouse(&d.m_plain, UiTestMouseAction::Move, 3, 3);
    EXPECT_FALSE(d.m_plain.IsTracking());
    UiTestMouse(&d.m_plain, UiTestMouseAction::Leave);

    // A click on a link reaches the parent's handler.
    UiTestClick(&d.m_circuit);
    EXPECT_EQ(d.circuitClicks, 1);
    UiTestMouse(&d.m_circuit, UiTestMouseAction::Leave);
    d.m_circuit.SetSelected(TRUE);
    FillList(d.m_list);
    d.SetDlgItemText(MainDlgIds::kIdStatus, u"Preparing data\u2026\n3/6");
    d.SetDlgItemText(MainDlgIds::kIdWorkspace, u"/home/driver/Documents/Pelmora_Workspace");
    ShootThenEnd(d, "main_dialog", IDOK);
  };
  EXPECT_EQ(dlg.DoModal(), IDOK);
}

}  // namespace
