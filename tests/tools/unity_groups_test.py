#!/usr/bin/env python3
"""Checks tools/unity-groups: which sources may share one translation unit."""
import os
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOL = os.path.join(ROOT, "tools", "unity-groups")


class UnityGroups(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def groups(self, sources, max_size=8):
        """Runs the tool on {name: text}; answers {name: group}."""
        paths = []
        for name, text in sources.items():
            path = os.path.join(self.dir.name, name)
            with open(path, "w") as f:
                f.write(text)
            paths.append(path)
        out = subprocess.run([sys.executable, TOOL, "--max", str(max_size)] + paths,
                             check=True, capture_output=True, text=True).stdout
        result = {}
        for line in out.splitlines():
            group, path = line.split("\t")
            result[os.path.basename(path)] = group
        self.assertEqual(set(result), set(sources))
        return result

    def together(self, a, b):
        g = self.groups({"a.cpp": a, "b.cpp": b})
        return g["a.cpp"] != "alone" and g["a.cpp"] == g["b.cpp"]

    def test_sources_with_their_own_names_share_a_group(self):
        a = "namespace {\nint Twice(int v) { return 2 * v; }\n}\nTEST(A, X) { EXPECT_EQ(Twice(2), 4); }\n"
        b = "namespace {\nstruct THelper { int v = 0; };\n}\nTEST(B, Y) { THelper h; EXPECT_EQ(h.v, 0); }\n"
        self.assertTrue(self.together(a, b))

    def test_a_helper_named_by_the_other_source_keeps_them_apart(self):
        # b calls a header's Twice(double); a's Twice(int) would silently win in one unit.
        a = "namespace {\nint Twice(int v) { return 2 * v; }\n}\n"
        b = "TEST(B, Y) { EXPECT_EQ(Twice(2), 4.0); }\n"
        self.assertFalse(self.together(a, b))
        self.assertFalse(self.together(b, a))

    def test_every_kind_of_namespace_scope_name_counts(self):
        declarations = {
            "type": "class TThing : public TObject {\n int v;\n};\n",
            "template function": "template <class T>\nT Larger(T a, T b) { return a < b ? b : a; }\n",
            "static variable": "static const int kRows = 5;\n",
            "braced variable": "const std::vector<int> kRows{1, 2};\n",
            "alias": "using TRowList = std::vector<int>;\n",
            "enumerator": "enum { kFirst, kRows = 3 };\n",
            "variable after a class body": "struct { int v; } kRows;\n",
            "named namespace": "namespace helpers {\nint Larger(int a, int b);\n}\n",
            "matcher": "MATCHER_P(HasRows, n, \"\") { return arg.Rows == n; }\n",
            "function after a function": "void First() {}\nint Larger(int a) { return a; }\n",
            "function after a test": "TEST(A, X) { First(); }\nint Larger(int a) { return a; }\n",
            # A friend named plainly is declared in the class's namespace.
            "friend class": "namespace {\nclass TNote {\n  template <class>\n  friend struct TRows;\n};\n}\n",
            "friend function": "class TNote {\n  friend int Larger(TNote&, int) { return 1; }\n};\n",
        }
        mentions = {
            "type": "TThing", "template function": "Larger", "static variable": "kRows",
            "braced variable": "kRows", "alias": "TRowList", "enumerator": "kRows",
            "variable after a class body": "kRows", "named namespace": "Larger",
            "matcher": "HasRows", "function after a function": "Larger",
            "function after a test": "Larger", "friend class": "TRows<int>{}",
            "friend function": "Larger",
        }
        for kind, decl in declarations.items():
            with self.subTest(kind=kind):
                user = "TEST(B, Y) { auto v = %s; (void)v; }\n" % mentions[kind]
                self.assertFalse(self.together(decl, user))

    def test_locals_comments_and_texts_are_no_declarations_or_mentions(self):
        a = ("void Run() {\n  int count = 0;\n  (void)count;\n}\n"
             "// Helper is described here\n")
        b = 'void Check() {\n  int count = 1;\n  const char* s = "Run Helper";\n  (void)count; (void)s;\n}\n'
        self.assertTrue(self.together(a, b))
        # A qualified friend names an existing one.
        self.assertTrue(self.together("class TNote {\n  friend int helpers::Larger(TNote&);\n};\n",
                                      "void B1() { helpers::Larger(2); }\n"))
        # A forward declaration names the library's class, which both may use.
        self.assertTrue(self.together("class TForm;\nvoid A1(TForm* f);\n",
                                      "void B1(TForm* f) { (void)f; }\n"))
        # ... but a name mentioned in code is one.
        self.assertFalse(self.together(a, "void Check() { Run(); }\n"))

    def test_using_directives_must_match(self):
        a = "using namespace regexpr_test;\nvoid A1() {}\n"
        same = "using namespace regexpr_test;\nvoid B1() {}\n"
        none = "void B1() {}\n"
        self.assertTrue(self.together(a, same))
        self.assertFalse(self.together(a, none))
        self.assertFalse(self.together(none, a))

    def test_a_source_defining_a_macro_or_unreadable_stays_alone(self):
        g = self.groups({
            "a.cpp": "#define TL_TESTING 1\nvoid A1() {}\n",
            "b.cpp": "void B1() {}\n",
            "c.cpp": "void C1() {\n",  # unbalanced
            "d.cpp": "void D1() {}\n",
        })
        self.assertEqual(g["a.cpp"], "alone")
        self.assertEqual(g["c.cpp"], "alone")
        self.assertNotEqual(g["b.cpp"], "alone")
        self.assertEqual(g["b.cpp"], g["d.cpp"])

    def test_operators_conflict_only_when_both_declare_the_same_one(self):
        a = "std::ostream& operator<<(std::ostream& os, const TPoint& p) { return os; }\n"
        other = "bool operator==(const TRect& a, const TRect& b) { return true; }\n"
        same = "std::ostream& operator<<(std::ostream& os, const TRect& r) { return os; }\n"
        self.assertTrue(self.together(a, other))
        self.assertFalse(self.together(a, same))

    def test_groups_hold_at_most_max_sources_and_a_group_of_one_is_alone(self):
        sources = {"%s.cpp" % n: "void F%s() {}\n" % n for n in "abc"}
        g = self.groups(sources, max_size=2)
        self.assertEqual(g["a.cpp"], g["b.cpp"])
        self.assertNotEqual(g["a.cpp"], "alone")
        self.assertEqual(g["c.cpp"], "alone")


if __name__ == "__main__":
    unittest.main()
