// Look-and-feel inheritance from masters and the root, change notification and the painter
// each setting chooses.
#include "tests/foundation/PainterTestFixture.h"

class LookAndFeelChangeLog : public TObject {
  TL_CLASS(LookAndFeelChangeLog, TObject)
 public:
  void Changed(TcxLookAndFeel*, TcxLookAndFeelValues values) { events.push_back(values); }
  std::vector<TcxLookAndFeelValues> events;
};
TL_DEFINE_CLASS(LookAndFeelChangeLog, [](auto&) {});

namespace {

using K = TcxLookAndFeelKind;
using V = TcxLookAndFeelValue;
using ChangeLog = LookAndFeelChangeLog;

// A listener that leaves the list from its own notification.
class LeavingListener : public IcxLookAndFeelNotificationListener, public TObject {
 public:
  explicit LeavingListener(TcxLookAndFeel* from) : from_(from) {}
  void MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) override {
    ++calls;
    from_->RemoveChangeListener(this);
  }
  void MasterLookAndFeelDestroying(TcxLookAndFeel*) override {}
  TObject* GetObject() override { return this; }
  int calls = 0;

 private:
  TcxLookAndFeel* from_;
};

class CountingListener : public IcxLookAndFeelNotificationListener, public TObject {
 public:
  void MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) override { ++calls; }
  void MasterLookAndFeelDestroying(TcxLookAndFeel*) override {}
  TObject* GetObject() override { return this; }
  int calls = 0;
};

using LookAndFeel = PainterTest;

TEST_F(LookAndFeel, FollowsTheRoot) {
  ASSERT_NE(RootLookAndFeel(), nullptr);
  Owned<TcxLookAndFeel> lf(New<TcxLookAndFeel>(nullptr));
  Owned<ChangeLog> log(New<ChangeLog>());
  lf->OnChanged = {log.get(), &ChangeLog::Changed};
  EXPECT_EQ(lf->GetKind(), K::lfUltraFlat);
  RootLookAndFeel()->SetKind(K::lfFlat);
  EXPECT_EQ(lf->GetKind(), K::lfFlat);
  ASSERT_EQ(log->events.size(), 1u);
  EXPECT_EQ(log->events[0], TcxLookAndFeelValues{V::lfvKind});
  RootLookAndFeel()->SetAssignedValues({});
  EXPECT_EQ(lf->GetKind(), K::lfUltraFlat);
}

TEST_F(LookAndFeel, SettingTheInheritedValueAssignsWithoutAChange) {
  Owned<TcxLookAndFeel> lf(New<TcxLookAndFeel>(nullptr));
  Owned<ChangeLog> log(New<ChangeLog>());
  lf->OnChanged = {log.get(), &ChangeLog::Changed};
  lf->SetKind(K::lfUltraFlat);
  EXPECT_TRUE(lf->IsKindStored());
  EXPECT_TRUE(log->events.empty());
  lf->SetKind(K::lfStandard);
  ASSERT_EQ(log->events.size(), 1u);
  EXPECT_EQ(lf->GetPainter(), cxStandardPainter());
}

TEST_F(LookAndFeel, AssignedKindStopsOnlyTheKind) {
  Owned<TcxLookAndFeel> master(New<TcxLookAndFeel>(nullptr));
  Owned<TcxLookAndFeel> lf(New<TcxLookAndFeel>(nullptr));
  lf->SetMasterLookAndFeel(master.get());
  lf->SetKind(K::lfOffice11);
  Owned<ChangeLog> log(New<ChangeLog>());
  lf->OnChanged = {log.get(), &ChangeLog::Changed};
  master->SetKind(K::lfFlat);
  EXPECT_EQ(lf->GetKind(), K::lfOffice11);
  EXPECT_TRUE(log->events.empty());
  master->SetNativeStyle(true);
  EXPECT_TRUE(lf->GetNativeStyle());
  ASSERT_EQ(log->events.size(), 1u);
  EXPECT_EQ(log->events[0], TcxLookAndFeelValues{V::lfvNativeStyle});
}

TEST_F(LookAndFeel, MasterDestructionFallsBackToTheRoot) {
  TcxLookAndFeel* master = New<TcxLookAndFeel>(nullptr);
  master->SetKind(K::lfStandard);
  Owned<TcxLookAndFeel> lf(New<TcxLookAndFeel>(nullptr));
  lf->SetMasterLookAndFeel(master);
  EXPECT_EQ(lf->GetKind(), K::lfStandard);
  master->Free();
  EXPECT_EQ(lf->GetMasterLookAndFeel(), RootLookAndFeel());
  EXPECT_EQ(lf->GetKind(), K::lfUltraFlat);
}

TEST_F(LookAndFeel, TwoLookAndFeelsCannotFollowEachOther) {
  Owned<TcxLookAndFeel> a(New<TcxLookAndFeel>(nullptr));
  Owned<TcxLookAndFeel> b(New<TcxLookAndFeel>(nullptr));
  Owned<TcxLookAndFeel> c(New<TcxLookAndFeel>(nullptr));
  a->SetMasterLookAndFeel(b.get());
  b->SetMasterLookAndFeel(c.get());
  c->SetMasterLookAndFeel(a.get());  // would close a ring
  b->SetMasterLookAndFeel(a.get());
  EXPECT_EQ(c->GetMasterLookAndFeel(), RootLookAndFeel());
  EXPECT_EQ(b->GetMasterLookAndFeel(), c.get());
  c->SetKind(K::lfFlat);  // a change travels down the chain and stops
  EXPECT_EQ(a->GetKind(), K::lfFlat);
  a->SetMasterLookAndFeel(a.get());
  EXPECT_EQ(a->GetMasterLookAndFeel(), b.get());
}

TEST_F(LookAndFeel, ListenerLeavingDuringNotificationSkipsNobody) {
  Owned<TcxLookAndFeel> lf(New<TcxLookAndFeel>(nullptr));
  LeavingListener leaving(lf.get());
  CountingListener counting;
  lf->AddChangeListener(&leaving);
  lf->AddChangeListener(&counting);
  lf->AddChangeListener(&counting);  // not twice
  lf->SetKind(K::lfFlat);
  EXPECT_EQ(leaving.calls, 1);
  EXPECT_EQ(counting.calls, 1);
  lf->RemoveChangeListener(&counting);
}

TEST_F(LookAndFeel, LastControllerResetsTheRoot) {
  TcxLookAndFeelController* first = New<TcxLookAndFeelController>(nullptr);
  TcxLookAndFeelController* second = New<TcxLookAndFeelController>(nullptr);
  first->SetKind(K::lfOffice11);
  second->SetNativeStyle(true);
  EXPECT_EQ(second->GetKind(), K::lfOffice11);
  EXPECT_EQ(RootLookAndFeel()->GetKind(), K::lfOffice11);
  // A controller only listens to the root.
  Owned<TcxLookAndFeel> lf(New<TcxLookAndFeel>(nullptr));
  lf->AddChangeListener(first);
  EXPECT_EQ(lf->ChangeListenerCount(), 0);
  first->Free();
  EXPECT_EQ(RootLookAndFeel()->GetKind(), K::lfOffice11);
  second->Free();
  EXPECT_EQ(RootLookAndFeel()->GetKind(), K::lfUltraFlat);
  EXPECT_EQ(lf->GetKind(), K::lfUltraFlat);
}

TEST_F(LookAndFeel, PainterSelection) {
  Owned<TcxLookAndFeel> lf(New<TcxLookAndFeel>(nullptr));
  const std::pair<K, const TcxCustomLookAndFeelPainter*> kinds[] = {{K::lfFlat, cxFlatPainter()},
                                                                     {K::lfStandard, cxStandardPainter()},
                                                                     {K::lfUltraFlat, cxUltraFlatPainter()},
                                                                     {K::lfOffice11, cxOffice11Painter()}};
  for (const auto& [kind, painter] : kinds) {
    lf->SetKind(kind);
    EXPECT_EQ(lf->GetPainter(), painter);
  }
  // Native style without themes (and without a native painter) keeps the kind's painter.
  lf->SetNativeStyle(true);
  EXPECT_EQ(lf->GetPainter(), cxOffice11Painter());
  EXPECT_EQ(lf->GetAvailablePainter(TdxThemedObjectType::totButton), cxOffice11Painter());
  // A registered native painter is still not chosen while no theme is open.
  const TcxStandardLookAndFeelPainter fakeNative;
  cxRegisterNativePainter(&fakeNative);
  EXPECT_EQ(lf->GetPainter(), cxOffice11Painter());
  cxRegisterNativePainter(nullptr);
}

TEST_F(LookAndFeel, SystemColourChangeReachesEveryLookAndFeel) {
  Owned<TcxLookAndFeel> lf(New<TcxLookAndFeel>(nullptr));
  Owned<ChangeLog> log(New<ChangeLog>());
  lf->OnChanged = {log.get(), &ChangeLog::Changed};
  HWND wnd = cxSystemPaletteChangedListenerWindow();
  ASSERT_NE(wnd, nullptr);
  SendMessageA(wnd, 0x0015, 0, 0);
  // Once from its own notifier and once passed down from the root.
  ASSERT_EQ(log->events.size(), 2u);
  for (const TcxLookAndFeelValues& v : log->events) EXPECT_EQ(v, TcxLookAndFeelValues{V::lfvNativeStyle});
}

}  // namespace
