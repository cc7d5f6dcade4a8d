#include "widgets/special/cxEditRepositoryItems.h"

#define TL_DEFINE_EDIT_REPOSITORY_ITEM(Name)                                   \
  TL_DEFINE_CLASS(Name, [](auto& c) {                                          \
    c.Property("Properties", &Name::GetProperties, &Name::SetProperties);      \
  })

TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryTextItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryButtonItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryImageItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryComboBoxItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryMaskItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryPopupItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryCalcItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryDateItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryCurrencyItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositorySpinItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryMemoItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryImageComboBoxItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryBlobItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryCheckBoxItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryTimeItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryMRUItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryHyperLinkItem);
TL_DEFINE_EDIT_REPOSITORY_ITEM(TcxEditRepositoryRadioGroupItem);

void TcxEditRepositoryImageComboBoxItem::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove || InState(TComponentStateItem::csDestroying)) return;
  auto* p = dynamic_cast<TcxImageComboBoxProperties*>(TcxEditRepositoryItem::GetProperties());
  if (!p) return;
  if (p->GetImages() == AComponent) p->SetImages(nullptr);
  if (p->GetLargeImages() == AComponent) p->SetLargeImages(nullptr);
}

namespace {

int gItemsInitCount = 0;

// In the order items are listed for streaming.
const TClass* const kItemClasses[] = {
    &TcxEditRepositoryItem::StaticClass(),
    &TcxEditRepositoryTextItem::StaticClass(),
    &TcxEditRepositoryButtonItem::StaticClass(),
    &TcxEditRepositoryImageItem::StaticClass(),
    &TcxEditRepositoryComboBoxItem::StaticClass(),
    &TcxEditRepositoryMaskItem::StaticClass(),
    &TcxEditRepositoryPopupItem::StaticClass(),
    &TcxEditRepositoryCalcItem::StaticClass(),
    &TcxEditRepositoryDateItem::StaticClass(),
    &TcxEditRepositoryCurrencyItem::StaticClass(),
    &TcxEditRepositorySpinItem::StaticClass(),
    &TcxEditRepositoryMemoItem::StaticClass(),
    &TcxEditRepositoryImageComboBoxItem::StaticClass(),
    &TcxEditRepositoryBlobItem::StaticClass(),
    &TcxEditRepositoryCheckBoxItem::StaticClass(),
    &TcxEditRepositoryTimeItem::StaticClass(),
    &TcxEditRepositoryMRUItem::StaticClass(),
    &TcxEditRepositoryHyperLinkItem::StaticClass(),
    &TcxEditRepositoryRadioGroupItem::StaticClass(),
};

}  // namespace

void cxEditRepositoryItems::Initialize() {
  if (gItemsInitCount++ > 0) return;
  ControlsUnit::Initialize();
  cxImage::Initialize();
  cxImageComboBox::Initialize();
  cxBlobEdit::Initialize();
  for (const TClass* c : kItemClasses) RegisterClass(*c);
  // Window descriptions name repository items beside the controls that use them.
  GroupDescendentsWith(TcxEditRepositoryItem::StaticClass(), TControl::StaticClass());
  GroupDescendentsWith(TcxEditRepository::StaticClass(), TControl::StaticClass());
}

void cxEditRepositoryItems::Finalize() {
  if (gItemsInitCount == 0 || --gItemsInitCount > 0) return;
  for (const TClass* c : kItemClasses) UnRegisterClass(*c);
  cxBlobEdit::Finalize();
  cxImageComboBox::Finalize();
  cxImage::Finalize();
  ControlsUnit::Finalize();
}
