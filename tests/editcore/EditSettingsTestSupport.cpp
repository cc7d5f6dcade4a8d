#include "tests/editcore/EditSettingsTestSupport.h"

TL_DEFINE_CLASS(TMemoryDefaultValuesProvider, [](auto&) {});
TL_DEFINE_CLASS(TTestEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TTestRepositoryItem, [](auto& c) {
  c.Property("Properties", &TTestRepositoryItem::GetProperties, &TTestRepositoryItem::SetProperties);
});
TL_DEFINE_CLASS(TPlainRepositoryItem, [](auto&) {});
TL_DEFINE_CLASS(TTestEdit, [](auto&) {});
