// A small program on the screen host for the lookup combo box's end-to-end test: the form
// "Lookup Order" edits one order whose CustID names a customer. A data-aware lookup combo
// box over the customers (ID, Name) shows and edits CustID by the customer's name; the
// order's lookup field CustName follows it. "&Post" posts the order, prints it and closes
// the program. Lines on stdout:
//   STATE focus=<control> popup=<0|1> rows=<list rows> text=<combo box text>
//       whenever the program is idle and one of them changed since the last line
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
    const std::string state =
        "STATE focus=" + (focus ? focus->GetName() : String("none")) + " popup=" + (combo_->HasShownPopup() ? "1" : "0") +
        " rows=" + IntToStr(combo_->GetProperties()->GetDBDataController()->GetRowCount()) +
        " text=" + VarToStr(combo_->GetDisplayValue());
    if (state == lastState_) return;
    lastState_ = state;
    std::printf("%s\n", state.c_str());
    std::fflush(stdout);
  }

  TMemoryDataSet* customers_ = nullptr;
  TMemoryDataSet* orders_ = nullptr;
  TField* custId_ = nullptr;
  TField* custName_ = nullptr;
  TcxDBLookupComboBox* combo_ = nullptr;
  TcxButton* post_ = nullptr;
  std::string lastState_;
};

TL_DEFINE_CLASS(TLookupOrderForm)

}  // namespace

int main() {
  return RunScreenProgram("Lookup Order", kUnits, std::size(kUnits), [] {
    TLookupOrderForm* form = nullptr;
    Application->CreateForm(form);
  });
}
