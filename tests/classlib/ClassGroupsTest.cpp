// Class groups: which registered classes the lookup and the reader see while a group is active.
#include <gtest/gtest.h>

#include "classlib/core/FormText.h"
#include "tests/classlib/StreamFixtures.h"

// Knobs start a group; tags join it without descending from a knob; a lever starts another.
class TGroupKnob : public TStreamPart {
  TL_CLASS(TGroupKnob, TStreamPart)
 public:
  using TStreamPart::TStreamPart;
};
class TGroupBigKnob : public TGroupKnob {
  TL_CLASS(TGroupBigKnob, TGroupKnob)
 public:
  using TGroupKnob::TGroupKnob;
};
class TGroupTag : public TStreamPart {
  TL_CLASS(TGroupTag, TStreamPart)
 public:
  using TStreamPart::TStreamPart;
};
class TGroupFineTag : public TGroupTag {
  TL_CLASS(TGroupFineTag, TGroupTag)
 public:
  using TGroupTag::TGroupTag;
};
class TGroupLever : public TStreamPart {
  TL_CLASS(TGroupLever, TStreamPart)
 public:
  using TStreamPart::TStreamPart;
};
TL_DEFINE_CLASS(TGroupKnob)
TL_DEFINE_CLASS(TGroupBigKnob)
TL_DEFINE_CLASS(TGroupTag)
TL_DEFINE_CLASS(TGroupFineTag)
TL_DEFINE_CLASS(TGroupLever)

namespace {

const TClass* const kGroupClasses[] = {&TGroupKnob::StaticClass(), &TGroupBigKnob::StaticClass(),
                                       &TGroupTag::StaticClass(), &TGroupFineTag::StaticClass(),
                                       &TGroupLever::StaticClass()};

// Reads a root holding one child of ChildClass; answers the child's class.
const TClass* ReadChildOf(const char* ChildClass) {
  Owned<TMemoryStream> m(New<TMemoryStream>());
  ObjectTextToBinary(String("object Main: TStreamRoot\n  object Child: ") + ChildClass + "\n  end\nend\n", *m);
  m->SetPosition(0);
  Owned<TComponent> root(m->ReadComponent(nullptr));
  return root->ComponentCount() == 1 ? &root->Components(0)->ClassType() : nullptr;
}

bool Seen(const char* Name) { return GetClass(Name) != nullptr; }

TEST(ClassGroups, OnlyTheDefaultAndTheActiveGroupAnswerLookupsAndTheReader) {
  RegisterStreamTestClasses();
  for (const TClass* c : kGroupClasses) RegisterClass(*c);
  const TClass* before = ActivateClassGroup(TStreamRoot::StaticClass());

  StartClassGroup(TGroupKnob::StaticClass());
  StartClassGroup(TGroupKnob::StaticClass());  // starting it again changes nothing
  GroupDescendentsWith(TGroupTag::StaticClass(), TGroupBigKnob::StaticClass());
  StartClassGroup(TGroupLever::StaticClass());

  // The default group is active: the knob group (with its tags) and the lever group are hidden.
  EXPECT_TRUE(Seen("TStreamRoot"));
  EXPECT_TRUE(Seen("TStreamPart"));
  for (const char* n : {"TGroupKnob", "TGroupBigKnob", "TGroupTag", "TGroupFineTag", "TGroupLever"}) {
    SCOPED_TRACE(n);
    EXPECT_FALSE(Seen(n));
  }
  EXPECT_THROW(FindClass("tgroupbigknob"), EClassNotFound);
  EXPECT_THROW(ReadChildOf("TGroupBigKnob"), EClassNotFound);
  EXPECT_EQ(ReadChildOf("TStreamPart"), &TStreamPart::StaticClass());

  // Activating through any member opens the whole group, descendants and joined classes.
  EXPECT_EQ(ActivateClassGroup(TGroupFineTag::StaticClass()), &TStreamRoot::StaticClass());
  for (const char* n : {"TGroupKnob", "TGroupBigKnob", "TGroupTag", "TGroupFineTag"}) {
    SCOPED_TRACE(n);
    EXPECT_TRUE(Seen(n));
  }
  EXPECT_FALSE(Seen("TGroupLever"));
  EXPECT_TRUE(Seen("TStreamRoot"));
  EXPECT_EQ(ReadChildOf("TGroupBigKnob"), &TGroupBigKnob::StaticClass());
  EXPECT_EQ(ReadChildOf("TGroupFineTag"), &TGroupFineTag::StaticClass());
  EXPECT_THROW(ReadChildOf("TGroupLever"), EClassNotFound);

  // One group at a time besides the default one.
  EXPECT_EQ(ActivateClassGroup(TGroupLever::StaticClass()), &TGroupFineTag::StaticClass());
  EXPECT_TRUE(Seen("TGroupLever"));
  EXPECT_FALSE(Seen("TGroupKnob"));
  EXPECT_FALSE(Seen("TGroupTag"));

  // The nearest grouped ancestor decides: the big knob moved to the default group answers
  // always, while its own ancestor stays in the hidden knob group.
  GroupDescendentsWith(TGroupBigKnob::StaticClass(), TStreamRoot::StaticClass());
  EXPECT_TRUE(Seen("TGroupBigKnob"));
  EXPECT_FALSE(Seen("TGroupKnob"));
  EXPECT_EQ(ReadChildOf("TGroupBigKnob"), &TGroupBigKnob::StaticClass());

  ActivateClassGroup(before ? *before : TComponent::StaticClass());
  for (const TClass* c : kGroupClasses) UnRegisterClass(*c);
}

}  // namespace
