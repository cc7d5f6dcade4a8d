// Small routines the data units share: the locale's currency display format and week
// start, a case-insensitive whole or prefix text match, the translation hook of filter
// texts, and TcxCustomDataBinding, the base of the link between an editor and its data.
#pragma once

#include "classlib/core/Classes.h"
#include "classlib/core/Events.h"
#include "classlib/core/NumTypes.h"
#include "classlib/core/Variants.h"
#include "widgets/foundation/cxClasses.h"

#include <string_view>

// The error of the data units' operations; messages come from the string table.
TL_EXCEPTION(EcxInvalidDataControllerOperation, Exception);

// A float display format for currency values from the locale's currency string, decimals
// and currency format. Characters of the symbol that a format would read as its own
// (",", ".", ";", "0", "#", the quotes, and "E" before a sign) are quoted.
String cxGetCurrencyDisplayFormat();
// 0 = Sunday .. 6 = Saturday.
Integer cxGetLocaleFirstDayOfWeek();
// The date part of the first day of ADate's week.
TDateTime cxGetStartOfWeek(TDateTime ADate);

// The editor units have routines of the same names; these are the data units' own.
namespace cxDataUtils {
// Whole days, truncated towards zero.
double cxDateOf(TDateTime ADateTime);
// The fraction of the day, without sign.
double cxTimeOf(TDateTime ADateTime);
void Initialize();
void Finalize();
}  // namespace cxDataUtils

// Both texts upper-cased by the locale. An empty ASubText matches only an empty AText;
// without APartial the texts must be equal, with it AText must begin with ASubText.
bool cxTextMatches(const String& AText, const String& ASubText, bool APartial);
// cxTextMatches with APartial, of a text read where it is kept.
bool cxTextBegins(std::string_view AText, const String& ASubText);

// Every caption and word of a filter text passes through here: AResult := AText, or what
// the hook makes of it when one is set.
using TcxFilterTranslationHook = void (*)(const String& AText, String& AResult);
extern TcxFilterTranslationHook cxFilterTranslationHook;
void cxGetFilterResString(const String& AText, String& AResult);


using TcxDataBindingNotifyEvent = TMethod<void()>;

class TcxCustomDataBinding : public TPersistent {
  TL_CLASS(TcxCustomDataBinding, TPersistent)
 public:
  TcxCustomDataBinding(TObject* AOwner, TObject* ADataComponent);

  // In slot order.
  virtual void DataChanged();
  virtual void DataSetChange();
  virtual bool GetModified();
  virtual bool GetReadOnly();
  virtual void SetReadOnly(bool Value);
  // The bound control changed: a data-set binding tells its link whether to act as a
  // visual control. Nothing here.
  virtual void UpdateVisualControl();
  virtual void UpdateData();
  virtual void ValueSourceChanged();
  virtual bool CanModify();
  virtual bool ExecuteAction(TObject* AAction);
  virtual Variant GetStoredValue(TcxDataEditValueSource AValueSource, bool AFocused);
  virtual bool IsDataAvailable();
  // Whether a data source lies behind the binding: False here, True for the data-set one.
  virtual bool IsDataBound();
  virtual void Reset();
  virtual bool SetModified();
  virtual void SetStoredValue(TcxDataEditValueSource AValueSource, const Variant& AValue);
  virtual bool UpdateAction(TObject* AAction);
  virtual void UpdateDataSource();

  TObject* DataComponent() const { return FDataComponent; }
  TObject* Owner() const { return FOwner; }
  TcxDataEditValueSource ValueSource() const { return FValueSource; }
  void SetValueSource(TcxDataEditValueSource Value);
  bool ReadOnly() { return GetReadOnly(); }
  bool Modified() { return GetModified(); }

  TcxDataBindingNotifyEvent OnDataChange;
  TcxDataBindingNotifyEvent OnDataSetChange;
  TcxDataBindingNotifyEvent OnUpdateData;

 protected:
  bool FReadOnly = false;

 private:
  TObject* FOwner;
  TObject* FDataComponent;
  TcxDataEditValueSource FValueSource = TcxDataEditValueSource::evsValue;
};
