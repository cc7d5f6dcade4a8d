#include "widgets/data/cxDataControllerFilter.h"

#include <cmath>
#include <cstring>
#include <typeinfo>

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "widgets/data/cxData.h"
#include "widgets/data/cxDataController.h"
#include "widgets/data/cxDataSummary.h"
#include "widgets/data/cxFilterConsts.h"
#include "widgets/foundation/cxVariants.h"

// ---- Criteria ----

void TcxDataFilterCriteria::BeforeDestruction() {
  EndFilterRecords();
  FDestroying = true;
  SetActive(false);
  if (FDataController) FDataController->FilterDestroying(this);
  inherited::BeforeDestruction();
}

void TcxDataFilterCriteria::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxDataFilterCriteria*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  auto bracket = UpdateBracket(this);
  inherited::Assign(Source);
  SetActive(source->FActive);
}

TcxCustomDataField* TcxDataFilterCriteria::FieldOfLink(TObject* AItemLink) const {
  if (!AItemLink) return nullptr;
  if (auto* field = dynamic_cast<TcxCustomDataField*>(AItemLink)) return field;
  return FDataController ? FDataController->Fields()->FieldByItem(AItemLink) : nullptr;
}

Integer TcxDataFilterCriteria::GetIDByItemLink(TObject* AItemLink) {
  TcxCustomDataField* field = FieldOfLink(AItemLink);
  return field && FDataController ? FDataController->GetItemID(field->Item()) : -1;
}

TcxFilterCriteriaItemClass TcxDataFilterCriteria::GetItemClass() {
  return ClassOf<TcxDataFilterCriteriaItem, TcxFilterCriteriaItem, TcxFilterCriteriaItemList*, TObject*,
                 TcxFilterOperatorKind, const Variant&, const String&>();
}

TObject* TcxDataFilterCriteria::GetItemLinkByID(Integer AID) {
  return FDataController ? FDataController->GetItemByID(AID) : nullptr;
}

TcxFilterValueListClass TcxDataFilterCriteria::GetValueListClass() {
  return ClassOf<TcxDataFilterValueList, TcxFilterValueList, TcxFilterCriteria*>();
}

void TcxDataFilterCriteria::DoChanged() {
  TcxCustomDataController* c = FDataController;
  // Further criteria of the controller never filter its rows.
  if (!c || c->Filter() != this || FDestroying || c->IsDestroying() || c->IsLoading()) return;
  // A pending edit is kept before the rows change under it.
  // The rows laid out anew may move the provider's cursor, whose handlers may free the
  // controller and these criteria with it.
  TWeakLink controller(c);
  if (!c->Provider()->IsDataSetOpen()) c->PostEditing();
  if (!controller.Alive()) return;
  c->FilterChanged();
  if (!controller.Alive()) return;
  inherited::DoChanged();
}

void TcxDataFilterCriteria::AssignEvents(TPersistent* ASource) {
  inherited::AssignEvents(ASource);
  if (auto* source = dynamic_cast<TcxDataFilterCriteria*>(ASource)) OnGetValueList = source->OnGetValueList;
}

TcxFilterCriteriaItem* TcxDataFilterCriteria::AddItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                                      TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                                      const String& ADisplayValue) {
  return inherited::AddItem(AParent, FieldOfLink(AItemLink), AOperatorKind, AValue, ADisplayValue);
}

TcxFilterCriteriaItem* TcxDataFilterCriteria::FindItemByItemLink(TObject* AItemLink) {
  TcxCustomDataField* field = FieldOfLink(AItemLink);
  return field ? inherited::FindItemByItemLink(field) : inherited::FindItemByItemLink(AItemLink);
}

void TcxDataFilterCriteria::RestoreDefaults() {
  auto bracket = UpdateBracket(this);
  inherited::RestoreDefaults();
  SetActive(false);
}

TcxDataFilterValueList* TcxDataFilterCriteria::CreateValueList() {
  return static_cast<TcxDataFilterValueList*>(GetValueListClass().Create(this));
}

bool TcxDataFilterCriteria::IsFiltering() {
  return FActive && !IsEmpty() && FDataController && !FDataController->IsGridMode();
}

void TcxDataFilterCriteria::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  Changed();
}

void TcxDataFilterCriteria::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "Criteria", [this](TStream& AStream) { ReadData(AStream); }, [this](TStream& AStream) { WriteData(AStream); },
      HasData());
}

// ---- A filter pass read from the record buffers ----

namespace {

enum class TFastKind { kGeneral, kAll, kEquals, kBegins, kEnds, kContains, kNumber };
enum class TRelation { kEqual, kNotEqual, kLess, kLessEqual, kGreater, kGreaterEqual };

bool IsIntVarType(TVarType T) {
  return T == varSmallint || T == varInteger || T == varShortInt || T == varByte || T == varWord ||
         T == varLongWord || T == varInt64;
}

template <class T>
int Order(T A, T B) {
  return A == B ? 0 : A < B ? -1 : 1;  // NaN answers 1, as the variant compare does
}

}  // namespace

struct TcxDataFilterCriteria::TPlan {
  struct TNode {
    bool IsList = false;
    TcxFilterBoolOperatorKind Bool = TcxFilterBoolOperatorKind::fboAnd;
    std::vector<TNode> Children;
    TcxFilterCriteriaItem* Item = nullptr;
    TcxValueDef* Def = nullptr;
    TFastKind Kind = TFastKind::kGeneral;
    bool Negate = false;
    String Needle;
    TRelation Relation = TRelation::kEqual;
    bool IntCompare = false;  // both sides integers: compared as Int64, else as doubles
    Int64 IntOperand = 0;
    double Operand = 0;
    TcxValueTypeClass Type = nullptr;
    bool NullVerdict = false;  // what the operator answers for a Null value
  };
  TNode Root;
};

namespace {

using TNode = TcxDataFilterCriteria::TPlan::TNode;

bool StoredValues(const TcxCustomDataController* AController) {
  return !AController->IsProviderMode() && !AController->IsGridMode() &&
         (typeid(*AController) == typeid(TcxDataController) ||
          typeid(*AController) == typeid(TcxCustomDataController));
}

// A condition read from the buffers when its verdict there cannot differ from the
// operator's on the prepared variants; any other stays general.
void PrepareCondition(TcxDataFilterCriteria* ACriteria, TcxDataFilterCriteriaItem* AItem, TNode& ANode) {
  ANode.Item = AItem;
  ANode.Kind = TFastKind::kGeneral;
  if (typeid(*AItem) != typeid(TcxDataFilterCriteriaItem)) return;
  TcxCustomDataField* field = AItem->Field();
  TcxValueDef* def = field ? field->GetValueDef() : nullptr;
  TcxFilterOperator* op = AItem->Operator();
  if (!def || !op) return;
  const Variant& operand = AItem->PreparedValue();
  const TVarType operandType = VarType(operand);
  const std::type_info& opType = typeid(*op);
  TcxValueTypeClass type = def->ValueTypeClass();
  ANode.Def = def;
  ANode.Type = type;
  if (type == TcxStringValueType::StaticClass()) {
    if (operandType != varString) return;
    const String pattern = operand.AsString();
    if (opType == typeid(TcxFilterEqualOperator) || opType == typeid(TcxFilterNotEqualOperator)) {
      ANode.Kind = TFastKind::kEquals;
      ANode.Needle = pattern;
      ANode.Negate = opType == typeid(TcxFilterNotEqualOperator);
      return;
    }
    if (opType != typeid(TcxFilterLikeOperator) && opType != typeid(TcxFilterNotLikeOperator)) return;
    const Char many = ACriteria->GetPercentWildcard(), one = ACriteria->GetUnderscoreWildcard();
    if (pattern.find(one) != String::npos) return;
    ANode.Negate = opType == typeid(TcxFilterNotLikeOperator);
    const bool lead = !pattern.empty() && pattern.front() == many;
    const bool trail = pattern.size() > 1 && pattern.back() == many;
    const String inner = pattern.substr(lead ? 1 : 0, pattern.size() - (lead ? 1 : 0) - (trail ? 1 : 0));
    if (inner.find(many) != String::npos) return;
    if (pattern.size() == 1 && lead) {
      ANode.Kind = TFastKind::kAll;
    } else if (!lead && !trail) {
      ANode.Kind = TFastKind::kEquals;
    } else if (inner.empty()) {
      return;  // "%%": the first needs a character left
    } else {
      ANode.Kind = lead && trail ? TFastKind::kContains : lead ? TFastKind::kEnds : TFastKind::kBegins;
    }
    ANode.Needle = inner;
    return;
  }
  const bool intField = type == TcxIntegerValueType::StaticClass() || type == TcxSmallintValueType::StaticClass() ||
                        type == TcxWordValueType::StaticClass() || type == TcxLargeIntValueType::StaticClass();
  const bool realField = type == TcxFloatValueType::StaticClass() || type == TcxDateTimeValueType::StaticClass();
  if (!intField && !realField) return;
  const bool intOperand = IsIntVarType(operandType);
  if (!intOperand && operandType != varDouble && operandType != varSingle && operandType != varDate) return;
  if (opType == typeid(TcxFilterEqualOperator)) ANode.Relation = TRelation::kEqual;
  else if (opType == typeid(TcxFilterNotEqualOperator)) ANode.Relation = TRelation::kNotEqual;
  else if (opType == typeid(TcxFilterLessOperator)) ANode.Relation = TRelation::kLess;
  else if (opType == typeid(TcxFilterLessEqualOperator)) ANode.Relation = TRelation::kLessEqual;
  else if (opType == typeid(TcxFilterGreaterOperator)) ANode.Relation = TRelation::kGreater;
  else if (opType == typeid(TcxFilterGreaterEqualOperator)) ANode.Relation = TRelation::kGreaterEqual;
  else return;
  // Integers meeting integers compare as Int64; a date on either side, or any real, as doubles.
  ANode.IntCompare = intField && intOperand;
  if (ANode.IntCompare)
    ANode.IntOperand = operand.AsInt64();
  else
    ANode.Operand = operand.AsDouble();
  // A large integer read as a double could round, a NaN operand orders its own way on
  // the date path: those stay general.
  if (!ANode.IntCompare && (type == TcxLargeIntValueType::StaticClass() || std::isnan(ANode.Operand))) return;
  ANode.Kind = TFastKind::kNumber;
}

// A Null value reads the same for every record: its verdict is asked once.
bool NullVerdict(TcxDataFilterCriteria* ACriteria, TcxFilterCriteriaItem* AItem) {
  Variant prepared;
  ACriteria->PrepareValue(Null(), prepared);
  TcxFilterOperator* op = AItem->Operator();
  if (ACriteria->GetOptions().Contains(TcxFilterCriteriaOption::fcoIgnoreNull) && !op->IsNullOperator() &&
      AItem->IsNullValue(prepared))
    return false;
  return op->IsSatisfied(prepared, AItem->PreparedValue());
}

void PrepareList(TcxDataFilterCriteria* ACriteria, TcxFilterCriteriaItemList* AList, TNode& ANode) {
  ANode.IsList = true;
  ANode.Bool = AList->BoolOperatorKind();
  ANode.Children.resize(size_t(AList->Count()));
  for (Integer i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* item = AList->Items(i);
    if (item->IsItemList())
      PrepareList(ACriteria, static_cast<TcxFilterCriteriaItemList*>(item), ANode.Children[size_t(i)]);
    else {
      TNode& node = ANode.Children[size_t(i)];
      PrepareCondition(ACriteria, static_cast<TcxDataFilterCriteriaItem*>(item), node);
      if (node.Kind != TFastKind::kGeneral) node.NullVerdict = NullVerdict(ACriteria, node.Item);
    }
  }
}

bool General(TcxDataFilterCriteria* ACriteria, TcxFilterCriteriaItem* AItem, Integer ARecordIndex) {
  Variant value, prepared;
  AItem->GetDataValue(cxRecordIndexToData(ARecordIndex), value);
  ACriteria->PrepareValue(value, prepared);
  TcxFilterOperator* op = AItem->Operator();
  if (ACriteria->GetOptions().Contains(TcxFilterCriteriaOption::fcoIgnoreNull) && !op->IsNullOperator() &&
      AItem->IsNullValue(prepared))
    return false;
  return op->IsSatisfied(prepared, AItem->PreparedValue());
}

Int64 ReadInt(TcxValueTypeClass AType, const void* P) {
  if (AType == TcxSmallintValueType::StaticClass()) {
    int16_t v;
    std::memcpy(&v, P, sizeof v);
    return v;
  }
  if (AType == TcxWordValueType::StaticClass()) {
    uint16_t v;
    std::memcpy(&v, P, sizeof v);
    return v;
  }
  if (AType == TcxLargeIntValueType::StaticClass()) {
    int64_t v;
    std::memcpy(&v, P, sizeof v);
    return v;
  }
  int32_t v;
  std::memcpy(&v, P, sizeof v);
  return v;
}

bool Evaluate(TcxDataFilterCriteria* ACriteria, const TcxDataStorage* AStorage, const TNode& ANode,
              Integer ARecordIndex);

bool EvaluateCondition(TcxDataFilterCriteria* ACriteria, const TcxDataStorage* AStorage, const TNode& ANode,
                       Integer ARecordIndex) {
  if (ANode.Kind == TFastKind::kGeneral) return General(ACriteria, ANode.Item, ARecordIndex);
  const void* p = nullptr;
  if (AStorage->GetDataBuffer(ARecordIndex, ANode.Def, p) || !p) return ANode.NullVerdict;
  if (ANode.Kind == TFastKind::kNumber) {
    int order;
    if (ANode.IntCompare) {
      order = Order(ReadInt(ANode.Type, p), ANode.IntOperand);
    } else {
      double x;
      if (ANode.Type == TcxFloatValueType::StaticClass() || ANode.Type == TcxDateTimeValueType::StaticClass())
        std::memcpy(&x, p, sizeof x);
      else
        x = double(ReadInt(ANode.Type, p));
      // NaN orders differently on the date path of the variant compare: asked there.
      if (std::isnan(x)) return General(ACriteria, ANode.Item, ARecordIndex);
      order = Order(x, ANode.Operand);
    }
    switch (ANode.Relation) {
      case TRelation::kEqual: return order == 0;
      case TRelation::kNotEqual: return order != 0;
      case TRelation::kLess: return order < 0;
      case TRelation::kLessEqual: return order <= 0;
      case TRelation::kGreater: return order > 0;
      default: return order >= 0;
    }
  }
  const String& text = *static_cast<const String*>(p);
  const String& n = ANode.Needle;
  bool r;
  switch (ANode.Kind) {
    case TFastKind::kAll: r = true; break;
    case TFastKind::kEquals: r = text == n; break;
    case TFastKind::kBegins: r = text.size() >= n.size() && text.compare(0, n.size(), n) == 0; break;
    case TFastKind::kEnds: r = text.size() >= n.size() && text.compare(text.size() - n.size(), n.size(), n) == 0; break;
    default: r = text.find(n) != String::npos; break;
  }
  return r != ANode.Negate;
}

bool Evaluate(TcxDataFilterCriteria* ACriteria, const TcxDataStorage* AStorage, const TNode& ANode,
              Integer ARecordIndex) {
  if (!ANode.IsList) return EvaluateCondition(ACriteria, AStorage, ANode, ARecordIndex);
  using B = TcxFilterBoolOperatorKind;
  bool r = true;
  for (size_t i = 0; i < ANode.Children.size(); ++i) {
    // Verdicts read here have no side effects: once the result cannot change, stop.
    if (i > 0 && (ANode.Bool == B::fboAnd || ANode.Bool == B::fboNotOr ? !r : r)) break;
    const bool v = Evaluate(ACriteria, AStorage, ANode.Children[i], ARecordIndex);
    if (i == 0) {
      r = ANode.Bool == B::fboNotAnd || ANode.Bool == B::fboNotOr ? !v : v;
      continue;
    }
    switch (ANode.Bool) {
      case B::fboAnd: r = r && v; break;
      case B::fboOr: r = r || v; break;
      case B::fboNotAnd: r = r || !v; break;
      case B::fboNotOr: r = r && !v; break;
    }
  }
  return r;
}

}  // namespace

void TcxDataFilterCriteria::BeginFilterRecords() {
  EndFilterRecords();
  // Operands are prepared again for every pass: what the operators derive from them (the
  // IN list's index reads texts as numbers and dates) follows the format settings of now.
  InvalidatePreparedValues();
  using O = TcxFilterCriteriaOption;
  const TcxFilterCriteriaOptions options = GetOptions();
  if (!FDataController || !StoredValues(FDataController) || typeid(*this) != typeid(TcxDataFilterCriteria) ||
      options.Contains(O::fcoCaseInsensitive) || options.Contains(O::fcoSoftNull) ||
      options.Contains(O::fcoSoftCompare))
    return;
  auto* plan = new TPlan();
  try {
    PrepareList(this, Root(), plan->Root);
  } catch (...) {
    // Freed only on an error: on success the criteria keep the plan.
    delete plan;
    throw;
  }
  FPlan = plan;
}

bool TcxDataFilterCriteria::FilterRecord(Integer ARecordIndex) {
  if (!FPlan) return DoFilterRecord(cxRecordIndexToData(ARecordIndex));
  return Evaluate(this, FDataController->DataStorage(), FPlan->Root, ARecordIndex);
}

void TcxDataFilterCriteria::EndFilterRecords() {
  delete FPlan;
  FPlan = nullptr;
}

// ---- Condition ----

TcxCustomDataField* TcxDataFilterCriteriaItem::Field() { return dynamic_cast<TcxCustomDataField*>(GetItemLink()); }

TcxCustomDataController* TcxDataFilterCriteriaItem::DataController() {
  auto* criteria = dynamic_cast<TcxDataFilterCriteria*>(GetCriteria());
  return criteria ? criteria->DataController() : nullptr;
}

void TcxDataFilterCriteriaItem::GetDataValue(Pointer AData, Variant& AValue) {
  TcxCustomDataField* field = Field();
  TcxCustomDataController* c = DataController();
  AValue = field && c ? c->GetRecordFieldValue(cxDataToRecordIndex(AData), field) : Null();
  // A decimal compares by its number, also with an operand given as text.
  if (field) AValue = cxValueTypeNumber(field->GetValueTypeClass(), AValue);
}

void TcxDataFilterCriteriaItem::GetFieldCaption(String& AText) {
  TcxCustomDataField* field = Field();
  TcxCustomDataController* c = DataController();
  AText = field && c && field->Item() ? c->GetItemDataFieldName(field->GetIndex()) : String();
}

// The name a filter expression knows the field by.
void TcxDataFilterCriteriaItem::GetFieldName(String& AText) {
  TcxCustomDataField* field = Field();
  TcxCustomDataController* c = DataController();
  AText = field && c && field->Item() ? c->GetItemFieldName(field->GetIndex()) : String();
}

// ---- Value list ----

void TcxDataFilterValueList::Load(Integer AItemIndex) {
  using K = TcxFilterValueItemKind;
  using namespace cxFilterConsts;
  TcxDataFilterCriteria* criteria = DataCriteria();
  TcxCustomDataController* c = criteria ? criteria->DataController() : nullptr;
  // Criteria without a controller have no items at all.
  if (!c) cxDataControllerError(cxSDataItemIndexError);
  TcxCustomDataField* field = c->GetItemField(AItemIndex);
  Clear();
  const TcxValueTypeClass type = field->GetValueTypeClass();
  SetSortByDisplayText(c->Options().Contains(TcxDataControllerOption::dcoAnsiSort) && type && type->IsString());
  Add(K::fviAll, Null(), cxFilterText(cxSFilterBoxAllCaption), false);
  Add(K::fviCustom, Null(), cxFilterText(cxSFilterBoxCustomCaption), false);
  bool blanks = c->IsGridMode();
  if (!c->IsGridMode()) {
    for (Integer r = 0; r < c->GetRecordCount(); ++r) {
      // Decimals listed as numbers: in their order, and picked as the numbers they are.
      const Variant v = cxValueTypeNumber(type, c->GetRecordFieldValue(r, field));
      if (cxVarIsBlank(v)) {
        blanks = true;
        continue;
      }
      Add(K::fviValue, v, c->GetDisplayText(r, field), false);
    }
  }
  if (blanks) {
    Add(K::fviBlanks, Null(), cxFilterText(cxSFilterBoxBlanksCaption), false);
    Add(K::fviNonBlanks, Null(), cxFilterText(cxSFilterBoxNonBlanksCaption), false);
  }
  if (criteria->OnGetValueList) criteria->OnGetValueList(criteria, AItemIndex, this);
}

TL_DEFINE_CLASS(TcxDataFilterCriteria, [](auto& c) {
  using T = TcxDataFilterCriteria;
  c.Property("Active", &T::GetActive, &T::SetActive).Default(false);
  c.Event("OnGetValueList", &T::OnGetValueList);
})
TL_DEFINE_CLASS(TcxDataFilterCriteriaItem)
TL_DEFINE_CLASS(TcxDataFilterValueList)

// ---- The controller's filter, search and summary objects ----

void TcxCustomDataController::CreateFilterSearchAndSummary() {
  TcxFilterCriteria* filter = GetFilterCriteriaClass().Create(this);
  FFilter = dynamic_cast<TcxDataFilterCriteria*>(filter);
  if (!FFilter) {
    filter->Free();
    FFilter = New<TcxDataFilterCriteria>(this);
  }
  FSearch = GetSearchClass().Create(this);
  FSummary = GetSummaryClass().Create(this);
}

void TcxCustomDataController::FreeFilterSearchAndSummary() {
  FreeAndNil(FSummary);
  FreeAndNil(FFilter);
  FreeAndNil(FSearch);
}

void TcxCustomDataController::FieldRemovedFromFilterSearchAndSummary(TcxCustomDataField* AField) {
  if (FFilter) FFilter->RemoveItemByItemLink(AField);
  if (FSearch) FSearch->FieldRemoved(AField);
  if (FSummary) FSummary->FieldRemoved(AField);
}

TcxFilterCriteriaClass TcxCustomDataController::GetFilterCriteriaClass() const {
  return ClassOf<TcxDataFilterCriteria, TcxFilterCriteria, TcxCustomDataController*>();
}

void TcxCustomDataController::SetFilter(TcxFilterCriteria* Value) { FFilter->Assign(Value); }

bool TcxCustomDataController::IsFiltering() const { return FFilter && FFilter->IsFiltering(); }

bool TcxCustomDataController::DoFilterCriteriaRecord(Integer ARecordIndex) const {
  return FFilter->FilterRecord(ARecordIndex);
}

void TcxCustomDataController::BeginFilterRecords() {
  if (IsFiltering()) FFilter->BeginFilterRecords();
}

void TcxCustomDataController::EndFilterRecords() { FFilter->EndFilterRecords(); }

void TcxCustomDataController::FilterChanged() {
  TWeakLink self(this);  // cancelling and following the focus run the provider's handlers
  Cancel();
  if (!self.Alive()) return;
  RefreshView();
  if (!self.Alive()) return;
  CheckBookmark(-1);
}

void TcxCustomDataController::AssignFilterAndSummary(TcxCustomDataController* ASource) {
  if (ASource->FFilter) FFilter->Assign(ASource->FFilter);
  if (ASource->FSummary) FSummary->Assign(ASource->FSummary);
}
