#include <gtest/gtest.h>

#include "platform/kernel/Resources.h"
#include "platform/shell/Shell.h"
#include "widgets/foundation/cxClasses.h"

#include <stdexcept>

namespace {

class TShapeA : public TObject {
  TL_CLASS(TShapeA, TObject)
};
class TShapeB : public TShapeA {
  TL_CLASS(TShapeB, TShapeA)
};
class TShapeC : public TShapeB {
  TL_CLASS(TShapeC, TShapeB)
};
class TShapeD : public TShapeC {
  TL_CLASS(TShapeD, TShapeC)
};
class TOtherB : public TShapeA {
  TL_CLASS(TOtherB, TShapeA)
};
class TUnrelated : public TObject {
  TL_CLASS(TUnrelated, TObject)
};
// Companions.
class TPainterA : public TObject {
  TL_CLASS(TPainterA, TObject)
};
class TPainterB : public TObject {
  TL_CLASS(TPainterB, TObject)
};
class TPainterC : public TObject {
  TL_CLASS(TPainterC, TObject)
};

class TTextItem : public TcxMRUItem {
  TL_CLASS(TTextItem, TcxMRUItem)
 public:
  explicit TTextItem(String t, int* freed = nullptr) : Text(std::move(t)), Freed(freed) {}
  ~TTextItem() override {
    if (Freed) ++*Freed;
  }
  bool Equals(const TcxMRUItem* AItem) const override {
    auto* t = dynamic_cast<const TTextItem*>(AItem);
    return t && t->Text == Text;
  }
  String Text;
  int* Freed;
};

class TListener : public TObject {
  TL_CLASS(TListener, TObject)
 public:
  void Freed(TComponent* Sender) { Heard.push_back(Sender); }
  std::vector<TComponent*> Heard;
};

}  // namespace

TL_DEFINE_CLASS(TShapeA)
TL_DEFINE_CLASS(TShapeB)
TL_DEFINE_CLASS(TShapeC)
TL_DEFINE_CLASS(TShapeD)
TL_DEFINE_CLASS(TOtherB)
TL_DEFINE_CLASS(TUnrelated)
TL_DEFINE_CLASS(TPainterA)
TL_DEFINE_CLASS(TPainterB)
TL_DEFINE_CLASS(TPainterC)
TL_DEFINE_CLASS(TTextItem)
TL_DEFINE_CLASS(TListener)

TEST(RegisteredClassListTest, AnswersTheNearestRegisteredAncestorInAnyRegistrationOrder) {
  const TClass* a = &TShapeA::StaticClass();
  const TClass* b = &TShapeB::StaticClass();
  const TClass* c = &TShapeC::StaticClass();
  std::vector<std::vector<int>> orders = {{0, 1, 2}, {2, 1, 0}, {1, 2, 0}};
  const TClass* items[] = {a, b, c};
  const TClass* companions[] = {&TPainterA::StaticClass(), &TPainterB::StaticClass(), &TPainterC::StaticClass()};
  for (const auto& order : orders) {
    Owned<TcxRegisteredClassList> list(New<TcxRegisteredClassList>());
    for (int i : order) list->Register(items[i], companions[i]);
    EXPECT_EQ(list->GetClass(c), companions[2]);
    EXPECT_EQ(list->GetClass(&TShapeD::StaticClass()), companions[2]) << "nearest ancestor, not the root";
    EXPECT_EQ(list->GetClass(&TOtherB::StaticClass()), companions[0]) << "a sibling finds the shared ancestor";
    EXPECT_EQ(list->GetClass(&TUnrelated::StaticClass()), nullptr);
    EXPECT_EQ(list->GetClass(nullptr), nullptr);
  }
}

TEST(RegisteredClassListTest, ALaterRegistrationWinsAndUnregisterIsExact) {
  Owned<TcxRegisteredClassList> list(New<TcxRegisteredClassList>());
  list->Register(&TShapeC::StaticClass(), &TPainterC::StaticClass());
  list->Register(&TShapeB::StaticClass(), &TPainterB::StaticClass());
  list->Register(&TShapeB::StaticClass(), &TPainterA::StaticClass());   // a later registration wins
  EXPECT_EQ(list->GetClass(&TShapeB::StaticClass()), &TPainterA::StaticClass());
  list->Unregister(&TShapeB::StaticClass(), &TPainterC::StaticClass());   // no such pair
  EXPECT_EQ(list->Count(), 3);
  list->Unregister(&TShapeB::StaticClass(), &TPainterA::StaticClass());
  EXPECT_EQ(list->GetClass(&TShapeB::StaticClass()), &TPainterB::StaticClass());
  list->Unregister(&TShapeB::StaticClass(), &TPainterB::StaticClass());
  EXPECT_EQ(list->GetClass(&TShapeB::StaticClass()), nullptr);
  EXPECT_EQ(list->GetClass(&TShapeD::StaticClass()), &TPainterC::StaticClass());
  EXPECT_THROW(list->Items(5), EListError);
}

TEST(RegisteredClassesTest, DescriptionsSplitAtTheFirstBar) {
  Owned<TcxRegisteredClasses> reg(New<TcxRegisteredClasses>());
  reg->Register(&TShapeB::StaticClass(), "Label|Represents a Label");
  reg->Register(&TShapeA::StaticClass(), "Plain");
  reg->Register(&TShapeC::StaticClass(), "Memo|Multi|line");
  reg->Register(&TShapeB::StaticClass(), "Again|ignored");
  ASSERT_EQ(reg->Count(), 3);
  EXPECT_EQ(reg->Descriptions(0), "Represents a Label");
  EXPECT_EQ(reg->Descriptions(1), "Plain");
  EXPECT_EQ(reg->Descriptions(2), "Multi|line");
  EXPECT_EQ(reg->GetClassByName("TShapeC"), &TShapeC::StaticClass());
  EXPECT_EQ(reg->GetClassByName("tshapec"), nullptr) << "class names match case-sensitively";
  EXPECT_EQ(reg->GetClassByDescription("Represents a Label"), &TShapeB::StaticClass());

  reg->SetSorted(true);
  reg->Register(&TShapeD::StaticClass(), "abc|first by name, ignoring case");
  EXPECT_EQ(reg->Items(0), &TShapeD::StaticClass());
  reg->Unregister(&TShapeD::StaticClass());
  EXPECT_EQ(reg->Count(), 3);
  EXPECT_EQ(reg->GetClassByName("TShapeD"), nullptr);
}

TEST(RegisteredClassesTest, CanRegisterForStreaming) {
  Owned<TcxRegisteredClasses> reg(New<TcxRegisteredClasses>(true));
  EXPECT_EQ(GetClass("TUnrelated"), nullptr);
  reg->Register(&TUnrelated::StaticClass(), "Unrelated|For streaming");
  EXPECT_EQ(GetClass("TUnrelated"), &TUnrelated::StaticClass());
  UnRegisterClass(TUnrelated::StaticClass());
}

namespace {
const TResStringRec kCaption = {65300, "Label|Represents a Label"};
const TResStringRec kSameText = {65301, "Label|Represents a Label"};
const TResStringRec kTabled = {65302, "default"};
const ResourceItem kStrings[] = {
    {6, 65302, nullptr, reinterpret_cast<const Byte*>("From the table"), 14, 0, 0},
};

class ResourceOverrideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterResourceTable({"cx_classes_test", kStrings, 1});
    cxClasses::Initialize();
  }
  void TearDown() override {
    cxClasses::Finalize();
    UnregisterResourceTable("cx_classes_test");
  }
};
}  // namespace

TEST_F(ResourceOverrideTest, OverridesReplaceTextsByIdentity) {
  EXPECT_EQ(cxGetResourceString(kTabled), "From the table");
  cxSetResourceString(kCaption, "Etikett|Stellt eine Beschriftung dar");
  EXPECT_EQ(cxGetResourceString(kCaption), "Etikett|Stellt eine Beschriftung dar");
  EXPECT_EQ(cxGetResourceString(kSameText), "Label|Represents a Label") << "an equal text is another string";

  EXPECT_EQ(cxGetResourceStringByName("sdxCaption"), "sdxCaption");
  cxSetResourceStringByName("sdxCaption", "Titel");
  EXPECT_EQ(cxGetResourceStringByName("sdxCaption"), "Titel");

  cxClearResourceStrings();
  EXPECT_EQ(cxGetResourceString(kTabled), "From the table");
  EXPECT_EQ(cxGetResourceStringByName("sdxCaption"), "sdxCaption");
}

TEST_F(ResourceOverrideTest, ExceptionsFromResourceStringsHonourOverrides) {
  cxSetResourceString(kTabled, "Überschrieben");
  EXPECT_EQ(Exception(kTabled).Message(), "Überschrieben");
  EXPECT_EQ(LoadResString(kTabled), "Überschrieben");
  // A nested start-up keeps the lookup; the last finalization removes it.
  cxClasses::Initialize();
  cxClasses::Finalize();
  EXPECT_EQ(Exception(kTabled).Message(), "Überschrieben");
  cxClasses::Finalize();
  EXPECT_EQ(Exception(kTabled).Message(), "From the table");
  cxClasses::Initialize();   // for TearDown
}

TEST(ResourceOverrideLazyTest, SettingAnOverrideReachesExceptionsWithoutStartUp) {
  const TResStringRec rec = {65303, "Original"};
  cxSetResourceString(rec, "Replaced");
  EXPECT_EQ(Exception(rec).Message(), "Replaced");
  cxClasses::Initialize();
  cxClasses::Finalize();   // the last finalization removes the lookup and the overrides
  EXPECT_EQ(Exception(rec).Message(), "Original");
  EXPECT_EQ(cxGetResourceString(rec), "Original");
}

TL_ENUM(TTestFruit, tfApple, tfPear, tfPlum);

struct ChangeCounter : TObject {
  int Heard = 0;
  void Changed(TObject*) { ++Heard; }
};

TEST(EnumTextsTest, AddsTheNonEmptyTextsWithTheirOrdinalsInOneBracket) {
  Owned<TStringList> list(New<TStringList>());
  ChangeCounter counter;
  list->OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
  // A change made after the call is heard only once its bracket is closed.
  auto closed = [&] {
    counter.Heard = 0;
    list->Add("probe");
    return counter.Heard == 1;
  };
  cxGetEnumTexts<TTestFruit>(list.get(), [](TTestFruit f) {
    return f == TTestFruit::tfPear ? String() : String(f == TTestFruit::tfApple ? "apple" : "plum");
  });
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Strings(0), "apple");
  EXPECT_EQ(list->Strings(1), "plum");
  EXPECT_EQ(intptr_t(list->Objects(1)), intptr_t(TTestFruit::tfPlum));
  EXPECT_TRUE(closed());
  // A text that cannot be had still closes the bracket.
  EXPECT_THROW(cxGetEnumTexts<TTestFruit>(list.get(),
                                          [](TTestFruit f) -> String {
                                            if (f == TTestFruit::tfPear)
                                              throw std::runtime_error("pear");
                                            return "x";
                                          }),
               std::runtime_error);
  EXPECT_EQ(list->Count(), 4);
  EXPECT_TRUE(closed());
}

TEST(MRUItemsTest, MovesEqualItemsToTheFrontAndTrims) {
  int freed = 0;
  Owned<TcxMRUItems> mru(New<TcxMRUItems>());
  mru->SetMaxCount(3);
  for (const char* t : {"a", "b", "c"}) mru->Add(New<TTextItem>(t, &freed));
  auto order = [&] {
    String s;
    for (Integer i = 0; i < mru->Count(); ++i) s += static_cast<TTextItem*>(mru->Items(i))->Text;
    return s;
  };
  EXPECT_EQ(order(), "cba");
  mru->Add(New<TTextItem>("a", &freed));
  EXPECT_EQ(order(), "acb");
  EXPECT_EQ(freed, 1) << "the duplicate was freed";
  mru->Add(New<TTextItem>("d", &freed));
  EXPECT_EQ(order(), "dac");
  EXPECT_EQ(freed, 2) << "the trimmed item was freed";

  // Adding the very member again only moves it.
  TcxMRUItem* member = mru->Items(2);
  mru->Add(member);
  EXPECT_EQ(order(), "cda");
  EXPECT_EQ(freed, 2);
  EXPECT_EQ(mru->Items(0), member);

  mru->SetMaxCount(-5);
  EXPECT_EQ(mru->GetMaxCount(), 0);
  for (const char* t : {"e", "f"}) mru->Add(New<TTextItem>(t, &freed));
  EXPECT_EQ(order(), "fecda");
  mru->SetMaxCount(2);
  EXPECT_EQ(order(), "fe");
  mru->Delete(0);
  EXPECT_EQ(order(), "e");
  EXPECT_THROW(mru->Delete(4), EListError);
  EXPECT_EQ(freed, 6);
  mru.reset();
  EXPECT_EQ(freed, 7);
}

TEST(ObjectLinkTest, ComponentsClearTheirLinksAndTheControllerIsShared) {
  TcxComponent* comp = New<TcxComponent>(nullptr);
  TcxObjectLink* l1 = cxAddObjectLink(comp);
  TcxObjectLink* l2 = cxAddObjectLink(comp);
  TUnrelated* other = New<TUnrelated>();
  TcxObjectLink* l3 = cxAddObjectLink(other);
  comp->Free();
  EXPECT_EQ(l1->Ref, nullptr);
  EXPECT_EQ(l2->Ref, nullptr);
  EXPECT_EQ(l3->Ref, other);
  cxRemoveObjectLink(l1);
  cxRemoveObjectLink(l2);
  cxClearObjectLinks(other);
  EXPECT_EQ(l3->Ref, nullptr);
  cxRemoveObjectLink(l3);   // the last link frees the controller (the sanitizer build checks)
  other->Free();
}

TEST(FreeNotificationTest, NotificatorHearsOfFreedComponents) {
  TListener listener;
  Owned<TcxFreeNotificator> notificator(New<TcxFreeNotificator>(nullptr));
  notificator->OnFreeNotification = TcxFreeNotificationEvent(&listener, &TListener::Freed);
  TComponent* watched = New<TComponent>(nullptr);
  TComponent* ignored = New<TComponent>(nullptr);
  cxAddFreeNotification(watched, notificator.get());
  cxAddFreeNotification(ignored, notificator.get());
  cxRemoveFreeNotification(ignored, notificator.get());
  cxAddFreeNotification(nullptr, notificator.get());
  ignored->Free();
  watched->Free();
  ASSERT_EQ(listener.Heard.size(), 1u);
  EXPECT_EQ(listener.Heard[0], watched);
}

TEST(ComponentNameTest, NamesAreCleanedAndNumberedUntilFree) {
  Owned<TComponent> owner(New<TComponent>(nullptr));
  owner->SetName("Form1");
  TComponent* c1 = New<TComponent>(owner.get());
  c1->SetName("Edit1");
  TComponent* c2 = New<TComponent>(owner.get());
  c2->SetName("EDIT2");
  TComponent* fresh = New<TComponent>(owner.get());
  EXPECT_EQ(cxGenerateComponentName(owner.get(), fresh, "TEdit", true), "Edit3");
  EXPECT_EQ(cxGenerateComponentName(owner.get(), fresh, "Ed-it ü", false), "Edit3");
  EXPECT_EQ(cxGenerateComponentName(owner.get(), c1, "TEdit", true), "Edit1") << "the component's own name is free";
  EXPECT_EQ(cxGenerateComponentName(owner.get(), fresh, "TcxEdit", true, "cx", "my"), "myEdit1");
  EXPECT_EQ(cxGenerateComponentName(owner.get(), fresh, "---", false), "Component1") << "falls back to the class";


  Owned<TComponent> subOwner(New<TComponent>(nullptr));
  TComponent* sub1 = New<TComponent>(subOwner.get());
  sub1->SetName("Edit1Button");
  TComponent* sub2 = New<TComponent>(subOwner.get());
  sub2->SetName("edit1");
  cxRenameSubItems(c1, "Edit1", "Price", {sub1, sub2, nullptr});
  EXPECT_EQ(sub1->GetName(), "PriceButton");
  EXPECT_EQ(sub2->GetName(), "edit1") << "not longer than the old name";
}

TEST(AutoWidthTest, SharesAddUpAndMinimumsPin) {
  Owned<TcxAutoWidthObject> aw(New<TcxAutoWidthObject>());
  aw->AvailableWidth = 100;
  Integer widths[] = {10, 10, 10};
  for (Integer w : widths) aw->AddItem()->Width = w;
  aw->Calculate();
  Integer sum = 0;
  for (Integer i = 0; i < aw->Count(); ++i) sum += aw->Items(i)->AutoWidth;
  EXPECT_EQ(sum, 100);

  // A fixed item keeps its width; a minimum above its share pins the item.
  aw->Items(0)->Fixed = true;
  aw->Items(1)->MinWidth = 60;
  aw->Calculate();
  EXPECT_EQ(aw->Items(0)->AutoWidth, 10);
  EXPECT_EQ(aw->Items(1)->AutoWidth, 60);
  EXPECT_EQ(aw->Items(2)->AutoWidth, 30);

  Owned<TcxAutoWidthObject> zero(New<TcxAutoWidthObject>());
  zero->AvailableWidth = 50;
  zero->AddItem()->MinWidth = 5;
  zero->AddItem()->Width = -20;
  zero->Calculate();
  EXPECT_EQ(zero->Items(0)->AutoWidth, 5);
  EXPECT_EQ(zero->Items(1)->AutoWidth, 0);
  zero->Clear();
  EXPECT_EQ(zero->Count(), 0);
}

TEST(ValueRoutinesTest, MidpointHexAndOwners) {
  EXPECT_EQ(cxHalfSum(-1, 1), 0);
  EXPECT_EQ(cxHalfSum(3, 4), 3);
  EXPECT_EQ(cxHalfSum(0x7FFFFFFF, 0x7FFFFFFF), 0x7FFFFFFF);
  EXPECT_EQ(cxHexDigitValue('a'), 10);
  EXPECT_EQ(cxHexDigitValue('g'), -1);
  EXPECT_EQ(cxHexByteValue('f', 'E'), 254);
  Owned<TComponent> owner(New<TComponent>(nullptr));
  TComponent* child = New<TComponent>(owner.get());
  EXPECT_EQ(cxGetPersistentOwner(child), owner.get());
}

TEST(ValueRoutinesTest, ShellOpenPassesTheAddressAlone) {
  SetShellRecording(true);
  ClearShellLaunches();
  cxShellOpen("http://example.org/a b;rm");
  ASSERT_EQ(ShellLaunches().size(), 1u);
  EXPECT_EQ(ShellLaunches()[0].back(), "http://example.org/a b;rm");
  SetShellRecording(false);
  ClearShellLaunches();
}
