// A small program on the screen host for the lookup combo box's end-to-end test: the form
// "Lookup Order" edits one order whose CustID names a customer. A data-aware lookup combo
// box over the customers (ID, Name) shows and edits CustID by the customer's name; the
// order's lookup field CustName follows it. "&Post" posts the order, prints it and closes
// the program. Lines on stdout, each whenever the program is idle and it changed since the
// last line of its kind:
//   STATE focus=<control> popup=<0|1> rows=<list rows> text=<combo box text>
//   HOLD <control>   the named control whose window holds the keyboard focus ("List" for the
//       drop-down list, "none" for no window of the program)
//   LIST sort=<none|asc|desc> order=<the list's names, top to bottom, comma-separated>
//   AT button=<x>,<y> outside=<x>,<y> list=<x>,<y>|- header=<h> row=<h>
//       screen points: the drop-down button's centre, a point of the form beside the combo
//       box and its list, the open list's top-left corner; the list's header and row heights
//   POSTED CustID=<key> CustName=<name>   the posted order
#include "classlib/core/DB.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/VisualUnits.h"
#include "platform/gdi/FontEngine.h"
#include "platform/host/sdl/SdlHost.h"
#include "platform/kernel/Units.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/User.h"
#include "tests/e2e/ScreenProgram.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/DatabindingUnits.h"
#include "widgets/databinding/cxDBLookupComboBox.h"
#include "widgets/databinding/cxLookupGridView.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/special/SpecialUnits.h"

#include <cstdio>
#include <iterator>
#include <string>

namespace {

const UnitEntry kUnits[] = {
    {"Kernel", PlatformKernelInitialize, PlatformKernelFinalize},
    {"Fonts", InitializeFonts, FinalizeFonts},
    {"User", PlatformUserInitialize, PlatformUserFinalize},
    {"Theme", PlatformThemeInitialize, PlatformThemeFinalize},
    {"SysUtils", SysUtilsInitialize, SysUtilsFinalize},
    {"ClasslibVisual", ClasslibVisualInitialize, ClasslibVisualFinalize},
    {"WidgetsFoundation", WidgetsFoundationInitialize, WidgetsFoundationFinalize},
    {"WidgetsEditcore", WidgetsEditcoreInitialize, WidgetsEditcoreFinalize},
    {"WidgetsEditors", WidgetsEditorsInitialize, WidgetsEditorsFinalize},
    {"WidgetsSpecial", WidgetsSpecialInitialize, WidgetsSpecialFinalize},
    {"WidgetsData", WidgetsDataInitialize, WidgetsDataFinalize},
    {"WidgetsDatabinding", WidgetsDatabindingInitialize, WidgetsDatabindingFinalize},
};

// The customers; "a" begins Ann and anna only, "anna" only the second.
const struct {
  Integer Id;
  const char* Name;
} kCustomers[] = {{1, "Ann"}, {2, "Bob"}, {3, "Bobby"}, {5, "Cyd"}, {7, "Dora"}, {8, "anna"}, {9, "Eve"}};

template <class T>
T* AddField(TComponent* AOwner, TDataSet* ADataSet, const char* AName) {
  T* f = New<T>(AOwner);
  f->SetFieldName(AName);
  f->SetDataSet(ADataSet);
  return f;
}

class TLookupOrderForm : public TForm {
  TL_CLASS(TLookupOrderForm, TForm)
 public:
  explicit TLookupOrderForm(TComponent* AOwner) : TForm(AOwner, 0) {}

  void AfterConstruction() override {
    inherited::AfterConstruction();
    SetCaption("Lookup Order");
    SetPosition(TPosition::poDesigned);
    SetBounds(0, 0, 260, 120);

    customers_ = New<TMemoryDataSet>(this);
    customers_->FieldDefs().Add("ID", TFieldType::ftInteger);
    customers_->FieldDefs().Add("Name", TFieldType::ftString, 20);
    for (const auto& c : kCustomers) customers_->AddRecord({Variant(c.Id), Variant(String(c.Name))});
    customers_->Open();
    auto* customerSource = New<TDataSource>(this);
    customerSource->SetDataSet(customers_);

    orders_ = New<TMemoryDataSet>(this);
    AddField<TIntegerField>(this, orders_, "OrderID");
    custId_ = AddField<TIntegerField>(this, orders_, "CustID");
    custName_ = AddField<TStringField>(this, orders_, "CustName");
    custName_->SetFieldKind(TFieldKind::fkLookup);
    custName_->SetKeyFields("CustID");
    custName_->SetLookupDataSet(customers_);
    custName_->SetLookupKeyFields("ID");
    custName_->SetLookupResultField("Name");
    orders_->AddRecord({Variant(Integer(1)), Variant(Integer(2))});
    orders_->Open();
    auto* orderSource = New<TDataSource>(this);
    orderSource->SetDataSet(orders_);

    combo_ = New<TcxDBLookupComboBox>(this);
    combo_->SetName("Customer");
    combo_->SetParent(this);
    combo_->SetBounds(10, 10, 160, 21);
    TcxLookupComboBoxProperties* p = combo_->GetProperties();
    p->SetListSource(customerSource);
    p->SetKeyFieldNames("ID");
    p->SetListFieldNames("Name");
    combo_->GetDataBinding()->SetDataSource(orderSource);
    combo_->GetDataBinding()->SetDataField("CustID");

    post_ = New<TcxButton>(this);
    post_->SetName("Post");
    post_->SetParent(this);
    post_->SetBounds(10, 50, 75, 25);
    post_->SetCaption("&Post");
    post_->OnClick = TNotifyEvent(this, &TLookupOrderForm::PostClick);

    SetActiveControl(combo_);
    Application->OnIdle = TIdleEvent(this, &TLookupOrderForm::Idle);
  }

 private:
  void PostClick(TObject*) {
    if (orders_->State() == TDataSetState::dsEdit) orders_->Post();
    std::printf("POSTED CustID=%s CustName=%s\n", VarToStr(custId_->GetAsVariant()).c_str(),
                VarToStr(custName_->GetAsVariant()).c_str());
    std::fflush(stdout);
    Close();
  }

  void Idle(TObject*, bool&) {
    // The focus sits in the combo box's inner edit: the named control that holds it.
    TWinControl* focus = GetActiveControl();
    while (focus && focus->GetName().empty()) focus = focus->GetParent();
    TcxLookupComboBoxProperties* p = combo_->GetProperties();
    TcxDBDataController* list = p->GetDBDataController();
    Report(lastState_, "STATE focus=" + (focus ? focus->GetName() : String("none")) +
                           " popup=" + (combo_->HasShownPopup() ? "1" : "0") +
                           " rows=" + IntToStr(list->GetRowCount()) +
                           " text=" + VarToStr(combo_->GetDisplayValue()));
    Report(lastHold_, "HOLD " + Holder());
    static const char* const kSort[] = {"none", "asc", "desc"};
    String order;
    for (Integer i = 0; i < list->GetRowCount(); ++i)
      order += (i ? "," : "") + p->GetRecordListText(list->GetRowInfo(i).RecordIndex);
    const TcxDataSortOrder sort = p->Grid()->GetColumns()->GetItem(0)->GetSortOrder();
    Report(lastList_, "LIST sort=" + String(kSort[Ord(sort)]) + " order=" + order);
    Report(lastAt_, At());
  }

  // The named control whose window has the keyboard focus.
  String Holder() {
    const HWND h = ::GetFocus();
    TcxLookupDBGrid* grid = combo_->GetProperties()->Grid();
    if (h && grid->HandleAllocated() && h == grid->GetHandle()) return "List";
    TWinControl* c = h ? FindControl(h) : nullptr;
    while (c && c->GetName().empty()) c = c->GetParent();
    return c ? c->GetName() : String("none");
  }

  String At() {
    const auto point = [](const TPoint& P) { return IntToStr(P.X) + "," + IntToStr(P.Y); };
    String at = "AT button=";
    const auto& buttons = combo_->EditViewInfo()->ButtonsInfo;
    if (!buttons.empty()) {
      const TRect& b = buttons[0]->Bounds;
      at += point(combo_->ClientToScreen({(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2}));
    }
    at += " outside=" + point(ClientToScreen({230, 40})) + " list=";
    TcxLookupDBGrid* grid = combo_->GetProperties()->Grid();
    if (!combo_->HasShownPopup() || !grid->HandleAllocated()) return at + "- header=0 row=0";
    const TRect& header = grid->ViewInfo()->HeaderBounds;
    return at + point(grid->ClientToScreen({0, 0})) +
           " header=" + IntToStr(header.Bottom - header.Top) +
           " row=" + IntToStr(grid->ViewInfo()->FullRowHeight());
  }

  static void Report(std::string& ALast, const std::string& ALine) {
    if (ALine == ALast) return;
    ALast = ALine;
    std::printf("%s\n", ALine.c_str());
    std::fflush(stdout);
  }

  TMemoryDataSet* customers_ = nullptr;
  TMemoryDataSet* orders_ = nullptr;
  TField* custId_ = nullptr;
  TField* custName_ = nullptr;
  TcxDBLookupComboBox* combo_ = nullptr;
  TcxButton* post_ = nullptr;
  std::string lastState_, lastHold_, lastList_, lastAt_;
};

TL_DEFINE_CLASS(TLookupOrderForm)

}  // namespace

int main() {
  return RunScreenProgram("Lookup Order", kUnits, std::size(kUnits), [] {
    TLookupOrderForm* form = nullptr;
    Application->CreateForm(form);
  });
}
