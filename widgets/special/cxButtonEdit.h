// Button edit: the masked editor with free buttons of its own, each click handed to the
// application. New properties hold one ellipsis button; buttons read from a window
// description replace it rather than joining it.
#pragma once

#include "widgets/editcore/cxMaskEdit.h"

class TcxCustomButtonEditProperties : public TcxCustomMaskEditProperties {
  TL_CLASS(TcxCustomButtonEditProperties, TcxCustomMaskEditProperties)
 public:
  explicit TcxCustomButtonEditProperties(TPersistent* AOwner);
  // The default ellipsis button.
  void AfterConstruction() override;
  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TcxCustomButtonEditProperties>(nullptr);
  }
  TcxCustomEditClass GetContainerClass() const override;
};

class TcxButtonEditProperties : public TcxCustomButtonEditProperties {
  TL_CLASS(TcxButtonEditProperties, TcxCustomButtonEditProperties)
 public:
  using TcxCustomButtonEditProperties::TcxCustomButtonEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TcxButtonEditProperties>(nullptr);
  }
};

class TcxCustomButtonEdit : public TcxCustomMaskEdit {
  TL_CLASS(TcxCustomButtonEdit, TcxCustomMaskEdit)
 public:
  using TcxCustomMaskEdit::TcxCustomMaskEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  // Buttons, but no popup: only the popup border goes unused.
  TcxContainerStyleValues GetUnusedStyleValues() const override { return {svPopupBorderStyle}; }
};

class TcxButtonEdit : public TcxCustomButtonEdit {
  TL_CLASS(TcxButtonEdit, TcxCustomButtonEdit)
 public:
  using TcxCustomButtonEdit::TcxCustomButtonEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxButtonEditProperties* GetButtonEditProperties() const {
    return static_cast<TcxButtonEditProperties*>(GetProperties());
  }

 protected:
  // The first read drops the default button, so stored buttons replace it.
  void ReadState(TReader& Reader) override;

 private:
  bool FStateRead = false;
};

namespace cxButtonEdit {
void Initialize();
void Finalize();
}  // namespace cxButtonEdit
