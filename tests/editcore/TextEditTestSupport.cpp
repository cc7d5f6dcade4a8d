#include "tests/editcore/TextEditTestSupport.h"

TL_DEFINE_CLASS(TTestTextProperties, [](auto&) {});
TL_DEFINE_CLASS(TTestNumericProperties, [](auto& c) {
  using T = TTestNumericProperties;
  c.Property("DisplayFormat", &T::GetDisplayFormat, &T::SetDisplayFormat).Stored(&T::IsDisplayFormatStored);
  c.Property("EditFormat", &T::GetEditFormat, &T::SetEditFormat).Stored(&T::IsEditFormatStored);
  c.Property("MaxValue", &T::GetMaxValue, &T::SetMaxValue).Stored(&T::IsMaxValueStored);
  c.Property("MinValue", &T::GetMinValue, &T::SetMinValue).Stored(&T::IsMinValueStored);
  c.Property("UseDisplayFormatWhenEditing", &T::GetUseDisplayFormatWhenEditing, &T::SetUseDisplayFormatWhenEditing)
      .Default(false);
  c.Property("ViewStyle", &T::GetViewStyle, &T::SetViewStyle).Default(TcxTextEditViewStyle::vsNormal);
});
TL_DEFINE_CLASS(TTestLookupData, [](auto&) {});
TL_DEFINE_CLASS(TTestTextEdit, [](auto&) {});
TL_DEFINE_CLASS(TTextPropertiesHost, [](auto& c) {
  c.Property("Properties", &TTextPropertiesHost::GetProperties, &TTextPropertiesHost::SetProperties);
});
