#include <gtest/gtest.h>

#include "classlib/core/Streams.h"

#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxControlBase.h"

#include <vector>

namespace {

class cxControlMembersTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    cxControls::Initialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 500, 300);
    source = Add(10, 10);
    target = Add(220, 10);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    form->Free();
    cxControls::Finalize();
    AppTest::TearDown();
  }
  TcxControl* Add(Integer X, Integer Y) {
    auto* c = New<TcxControl>(form);
    c->SetBounds(X, Y, 150, 150);
    c->SetParent(form);
    return c;
  }

  TForm* form = nullptr;
  TcxControl* source = nullptr;
  TcxControl* target = nullptr;
};

class TDesignerLog : public TObject, public IDesignerHook {
 public:
  void Modified() override { ++Count; }
  int Count = 0;
};

class TLoadingForm : public TForm {
 public:
  using TForm::TForm;
  void SetLoading(bool Value) { SetStateFlag(TComponentStateItem::csLoading, Value); }
};

class TChild : public TcxControlChildComponent {
  TL_CLASS(TChild, TcxControlChildComponent)
 public:
  using TcxControlChildComponent::TcxControlChildComponent;
  int Initialized = 0;
  std::vector<TcxControl*> Controls;

 protected:
  void Initialize() override { ++Initialized; }
  void SetControl(TcxControl* Value) override {
    inherited::SetControl(Value);
    Controls.push_back(Value);
  }
};
TL_DEFINE_CLASS(TChild)

TEST_F(cxControlMembersTest, AClickFocusesTheWindowWhenTheFormAlreadyCountsTheControlActive) {
  source->SetFocus();
  host().PumpUntilIdle();
  ASSERT_EQ(form->GetActiveControl(), source);
  // A window the form does not know takes the focus.
  HWND foreign = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 400, 300, 20, 20, form->Handle(), nullptr,
                                 nullptr, nullptr);
  ::SetFocus(foreign);
  host().PumpUntilIdle();
  ASSERT_FALSE(source->IsFocused());
  ASSERT_EQ(form->GetActiveControl(), source);

  host().Click(source->Handle(), 5, 5);
  host().PumpUntilIdle();
  EXPECT_TRUE(source->IsFocused());
  EXPECT_EQ(GetFocus(), source->Handle());
  DestroyWindow(foreign);
}

TEST_F(cxControlMembersTest, TheDesignerHearsOfChangesOnlyWhileNothingLoadsOrIsWritten) {
  auto* designForm = TCustomForm::CreateNew<TLoadingForm>(nullptr);
  TDesignerLog log;
  designForm->SetDesigner(&log);
  auto* control = New<TcxControl>(designForm);
  control->SetParent(designForm);
  control->DesignerModified();
  EXPECT_EQ(log.Count, 0);  // not designing
  designForm->SetDesigning(true);
  ASSERT_TRUE(control->IsDesigning());
  control->DesignerModified();
  EXPECT_EQ(log.Count, 1);
  designForm->SetLoading(true);
  control->DesignerModified();
  EXPECT_EQ(log.Count, 1);
  designForm->SetLoading(false);
  cxControlDesignerModified(control);
  EXPECT_EQ(log.Count, 2);
  designForm->Free();
}

TEST_F(cxControlMembersTest, ChildComponentsJoinMoveAndOutliveTheirControl) {
  auto* a = New<TChild>(source, true);
  EXPECT_EQ(a->Owner(), form);
  EXPECT_EQ(a->Initialized, 1);
  EXPECT_EQ(a->GetControl(), source);
  EXPECT_TRUE(a->HasParent());
  EXPECT_EQ(a->GetParentComponent(), source);
  ASSERT_EQ(source->ChildComponentCount(), 1);
  EXPECT_EQ(source->ChildComponents(0), a);

  Owned<TChild> b(New<TChild>(nullptr));
  EXPECT_FALSE(b->HasParent());
  b->SetParentComponent(target);
  b->SetParentComponent(source);  // moves: the first control lets it go
  EXPECT_EQ(target->ChildComponentCount(), 0);
  EXPECT_EQ(source->ChildComponentCount(), 2);
  EXPECT_EQ(b->Controls, (std::vector<TcxControl*>{target, nullptr, source}));
  b.reset();
  EXPECT_EQ(source->ChildComponentCount(), 1);

  // The control goes first: the component stays, without a control.
  source->Free();
  source = nullptr;
  EXPECT_EQ(a->GetControl(), nullptr);
  EXPECT_FALSE(a->HasParent());
  a->Free();  // nothing left to tell
}

TEST_F(cxControlMembersTest, ChildComponentsAreWrittenInsideTheirControlAndJoinItWhenRead) {
  RegisterClasses({&TcxControl::StaticClass(), &TChild::StaticClass()});
  source->SetName("Source");
  auto* part = New<TChild>(source, true);
  part->SetName("Part");
  Owned<TMemoryStream> stream(New<TMemoryStream>());
  stream->WriteComponent(form);
  stream->SetPosition(0);

  TForm* copy = TCustomForm::CreateNew(nullptr);
  stream->ReadComponent(copy);
  auto* readSource = dynamic_cast<TcxControl*>(copy->FindComponent("Source"));
  auto* readPart = dynamic_cast<TChild*>(copy->FindComponent("Part"));
  ASSERT_NE(readSource, nullptr);
  ASSERT_NE(readPart, nullptr);
  EXPECT_EQ(readPart->GetControl(), readSource);
  EXPECT_EQ(readSource->ChildComponentCount(), 1);
  copy->Free();
  UnRegisterClass(TChild::StaticClass());
  UnRegisterClass(TcxControl::StaticClass());
}

}  // namespace
