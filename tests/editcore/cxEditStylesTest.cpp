// Editor styles: resolution of the editor values (own, the controller's style of the same
// state, the default), shared values kept on the base style, the library-wide default
// controller, and the component that exposes it.
#include "tests/editcore/EditSettingsTestSupport.h"

namespace {

using S = TcxContainerStateItem;
using BtS = TcxEditButtonStyle;
using BtT = TcxEditButtonTransparency;
using PB = TcxEditPopupBorderStyle;

class EditStylesTest : public EditSettingsTest {
 protected:
  void SetUp() override {
    EditSettingsTest::SetUp();
    edit.reset(New<TTestEdit>(nullptr));
  }
  void TearDown() override {
    edit.reset();
    EditSettingsTest::TearDown();
  }
  TcxEditStyle* St(S s = S::csNormal) { return edit->EditStyle(s); }
  Owned<TTestEdit> edit;
};

TEST_F(EditStylesTest, OwnValueThenTheControllersSameStateStyleThenTheDefault) {
  EXPECT_EQ(St()->GetButtonStyle(), BtS::btsDefault);
  EXPECT_EQ(St()->GetPopupBorderStyle(), PB::epbsDefault);
  EXPECT_EQ(St(S::csActive)->GetButtonStyle(), BtS::btsDefault);
  Owned<TcxEditStyleController> ctl(New<TcxEditStyleController>(nullptr));
  St()->SetStyleController(ctl.get());
  ctl->EditStyle(S::csActive)->SetButtonStyle(BtS::btsFlat);
  ctl->EditStyle(S::csNormal)->SetButtonStyle(BtS::bts3D);
  EXPECT_EQ(St()->GetButtonStyle(), BtS::bts3D);
  EXPECT_EQ(St(S::csActive)->GetButtonStyle(), BtS::btsFlat) << "the controller's style of the same state";
  EXPECT_EQ(St(S::csHotTrack)->GetButtonStyle(), BtS::bts3D) << "no hot value: the normal style's";
  EXPECT_TRUE(St(S::csActive)->IsValueAssigned(svButtonStyle));
  St(S::csActive)->SetButtonStyle(BtS::btsHotFlat);
  EXPECT_EQ(St(S::csActive)->GetButtonStyle(), BtS::btsHotFlat);
  St()->SetButtonStyle(BtS::btsSimple);
  EXPECT_EQ(St(S::csHotTrack)->GetButtonStyle(), BtS::btsSimple);
  EXPECT_FALSE(St()->IsValueAssigned(svGradientButtons));
  String name;
  ASSERT_TRUE(St()->GetStyleValueName(svPopupBorderStyle, name));
  EXPECT_EQ(name, "PopupBorderStyle");
  EXPECT_EQ(St()->GetStyleValueCount(), 14);
  EXPECT_EQ(St()->GetSharedStyleValues().ToInt(), 14968u);
}

TEST_F(EditStylesTest, SharedValuesAreWrittenToAndReadFromTheBaseStyleBeforeAnyController) {
  Owned<TcxEditStyleController> ctl(New<TcxEditStyleController>(nullptr));
  St()->SetStyleController(ctl.get());
  ctl->EditStyle(S::csActive)->SetButtonTransparency(BtT::ebtAlways);  // lands on the controller's base style
  EXPECT_EQ(ctl->EditStyle(S::csNormal)->GetButtonTransparency(), BtT::ebtAlways);
  EXPECT_EQ(St(S::csActive)->GetButtonTransparency(), BtT::ebtAlways);
  St(S::csActive)->SetButtonTransparency(BtT::ebtInactive);
  EXPECT_EQ(St()->GetButtonTransparency(), BtT::ebtInactive) << "a state style writes to its base";
  // The controller's focused style holding a value of its own (copied from a base style)
  // must not hide the one the editor set on its base style.
  Owned<TcxEditStyleController> donor(New<TcxEditStyleController>(nullptr));
  donor->EditStyle(S::csNormal)->SetButtonTransparency(BtT::ebtHideInactive);
  ctl->EditStyle(S::csActive)->Assign(donor->EditStyle(S::csNormal));
  ASSERT_TRUE(ctl->EditStyle(S::csActive)->IsValueAssigned(svButtonTransparency));
  EXPECT_EQ(St(S::csActive)->GetButtonTransparency(), BtT::ebtInactive) << "the editor's own value wins when focused";
  St(S::csHotTrack)->SetGradientButtons(true);
  St(S::csDisabled)->SetPopupBorderStyle(PB::epbsFlat);
  EXPECT_TRUE(St()->GetGradientButtons());
  EXPECT_EQ(St()->GetPopupBorderStyle(), PB::epbsFlat);
  EXPECT_TRUE(St(S::csActive)->GetPopupFlag());
  St(S::csActive)->SetPopupFlag(false);
  EXPECT_FALSE(St()->GetPopupFlag());
}

TEST_F(EditStylesTest, TheDefaultControllerServesStandAloneEditorsOnly) {
  TcxEditStyleController* def = DefaultEditStyleController();
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(GetDefaultStyleController(), def) << "containers follow it too";
  def->EditStyle(S::csNormal)->SetButtonStyle(BtS::btsUltraFlat);
  EXPECT_EQ(St()->GetActiveStyleController(), def);
  EXPECT_EQ(St()->GetStyleController(), nullptr) << "the default one is not reported as set";
  EXPECT_EQ(St()->GetButtonStyle(), BtS::btsUltraFlat);
  Owned<TTestEdit> inplace(New<TTestEdit>(nullptr, true));
  EXPECT_EQ(inplace->EditStyle()->GetActiveStyleController(), nullptr);
  EXPECT_EQ(inplace->EditStyle()->GetButtonStyle(), BtS::btsDefault);
}

TEST_F(EditStylesTest, TheLastDefaultControllerComponentRestoresTheLibraryWideStyles) {
  TNoticeCounter counter;
  auto* a = New<TcxDefaultEditStyleController>(nullptr);
  auto* b = New<TcxDefaultEditStyleController>(nullptr);
  a->SetOnStyleChanged(counter.Handler());
  static_cast<TcxEditStyle*>(a->GetStyleHot())->SetButtonStyle(BtS::btsOffice11);
  EXPECT_EQ(counter.Count, 1);
  EXPECT_EQ(DefaultEditStyleController()->EditStyle(S::csHotTrack)->GetButtonStyle(), BtS::btsOffice11);
  a->Free();
  EXPECT_EQ(DefaultEditStyleController()->EditStyle(S::csHotTrack)->GetButtonStyle(), BtS::btsOffice11);
  EXPECT_EQ(TcxDefaultEditStyleController::InstanceCount(), 1);
  b->Free();
  EXPECT_EQ(DefaultEditStyleController()->EditStyle(S::csHotTrack)->GetButtonStyle(), BtS::btsDefault);
  EXPECT_FALSE(DefaultEditStyleController()->OnStyleChanged);
}

TEST_F(EditStylesTest, AssignCopiesTheEditorValuesAndStreamsKeepOnlyAssignedOnes) {
  Owned<TcxEditStyleController> src(New<TcxEditStyleController>(nullptr));
  TcxEditStyle* from = src->EditStyle(S::csNormal);
  from->SetButtonStyle(BtS::btsFlat);
  from->SetPopupBorderStyle(PB::epbsSingle);
  from->SetPopupFlag(false);
  from->SetEditBorderStyle(TcxEditBorderStyle::ebsOffice11);
  TNoticeCounter counter;
  St()->OnChanged = counter.Handler();
  St()->Assign(from);
  EXPECT_EQ(counter.Count, 1);
  EXPECT_EQ(St()->GetButtonStyle(), BtS::btsFlat);
  EXPECT_EQ(St()->GetPopupBorderStyle(), PB::epbsSingle);
  EXPECT_FALSE(St()->GetPopupFlag());
  EXPECT_EQ(St()->GetBorderStyle(), TcxContainerBorderStyle::cbsOffice11);
  EXPECT_TRUE(St()->IsButtonStyleStored());
  EXPECT_FALSE(St()->IsButtonTransparencyStored());
  RegisterClass(TcxEditStyleController::StaticClass());
  src->SetName("Source");
  const String bytes = Write(src.get());
  EXPECT_NE(bytes.find("Style.ButtonStyle"), String::npos);
  EXPECT_EQ(bytes.find("Style.ButtonTransparency"), String::npos);
  Owned<TcxEditStyleController> copy(New<TcxEditStyleController>(nullptr));
  Read(bytes, copy.get());
  EXPECT_EQ(copy->EditStyle(S::csNormal)->GetButtonStyle(), BtS::btsFlat);
  EXPECT_EQ(copy->EditStyle(S::csNormal)->GetEditBorderStyle(), TcxEditBorderStyle::ebsOffice11);
  EXPECT_FALSE(copy->EditStyle(S::csNormal)->IsValueAssigned(svButtonTransparency));
  UnRegisterClass(TcxEditStyleController::StaticClass());
}

}  // namespace
