// Scene traversal: the exact order and arguments of the host operations, the
// hints that pair an object's children with its source's, group visibility
// from members, and which faces reach setup.
#include <gtest/gtest.h>

#include "frame/frame.h"
#include "support/logging_host.h"

namespace {

using quorvel_test::Joined;
using quorvel_test::Logging_Host;

class Traversal : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(host.wrong_scene_calls, 0); }
    Logging_Host host;
};

TEST_F(Traversal, Ordinary_Object_Calls_Operations_In_Order_And_Sets_Up_Accepted_Faces) {
    Host_Object* a = host.Object("A");
    a->op4_argument = 7;
    host.Face(a, "a0");
    host.Face_Test_Result(host.Face(a, "a1"), 0);
    host.Face(a, "a2");
    // Neither a sibling nor the next top-level object belongs to this call.
    Host_Object* b = host.Object("B");
    a->next_sibling = b;
    a->next_object = b;
    host.services->transform_generation = 41;

    Draw_Object(&host.scene, a, a);

    EXPECT_EQ(Joined(host.log),
              "op3(A) op5(A) op4(A,7) op6(A,A) op9(A,A) test(a0) setup(a0) test(a1) test(a2) setup(a2)");
    EXPECT_EQ(host.op9_generations, std::vector<std::uint32_t>({42}));
    EXPECT_EQ(host.services->transform_generation, 42u);
}

TEST_F(Traversal, Object_Out_Of_View_Sets_Up_Nothing_But_Its_Children_Are_Drawn) {
    Host_Object* a = host.Object("A");
    host.In_View(a, 0);
    host.Face(a, "a0");
    Host_Object* b = host.Object("B");
    host.Face(b, "b0");
    host.Child(a, b);

    Draw_Object(&host.scene, a, a);

    EXPECT_EQ(Joined(host.log),
              "op3(A) op5(A) op4(A,0) op6(A,A) "
              "op3(B) op5(B) op4(B,0) op6(B,B) op9(B,B) test(b0) setup(b0)");
    EXPECT_EQ(host.services->transform_generation, 1u);
}

TEST_F(Traversal, Source_Supplies_Faces_Table_Op4_Value_And_The_Op7_Condition) {
    // A draws as S: S's table (tagged T1) runs op6, op7 and op9; A's own
    // table runs op3, op4 and op5; op4 gets S's value; op7 follows S's info.
    Host_Object* a = host.Object("A");
    a->op4_argument = 9;
    host.Face(a, "a0");
    Host_Object* s = host.Object("S");
    s->op4_argument = 5;
    host.Table(s, 1);
    host.Of(s).info.op7_word_b = 1;
    host.Face(s, "s0");
    host.Source(a, s);

    // C's own info asks for op7, its source D's does not: no op7.
    Host_Object* c = host.Object("C");
    host.Of(c).info.op7_word_a = 1;
    Host_Object* d = host.Object("D");
    host.Source(c, d);

    // E asks for op7 through word 104 of its own info, being its own source.
    Host_Object* e = host.Object("E");
    host.Of(e).info.op7_word_a = 1;

    Draw_Object(&host.scene, a, a);
    Draw_Object(&host.scene, c, c);
    Draw_Object(&host.scene, e, e);

    EXPECT_EQ(Joined(host.log),
              "op3(A) op5(A) op4(A,5) T1.op6(S,A) T1.op7(S,A) T1.op9(S,A) test(s0) setup(s0) "
              "op3(C) op5(C) op4(C,0) op6(D,C) op9(D,C) "
              "op3(E) op5(E) op4(E,0) op6(E,E) op7(E,E) op9(E,E)");
    EXPECT_EQ(host.op9_generations, std::vector<std::uint32_t>({1, 2, 3}));
}

TEST_F(Traversal, Hints_Walk_The_Source_Hierarchy_In_Step) {
    // A draws as B, so A's children take B's children as hints. A group
    // whose op5 gives itself draws as its hint; after a group the next hint
    // is the group's own sibling, after an ordinary object its source's.
    Host_Object* a = host.Object("A");
    Host_Object* b = host.Object("B");
    host.Source(a, b);
    host.Face(b, "b0");
    Host_Object* c1 = host.Group("C1");
    Host_Object* c2 = host.Object("C2");
    Host_Object* c3 = host.Group("C3");
    host.Children(a, {c1, c2, c3});
    host.Face(c1, "c1");
    host.Face(c3, "c3");
    Host_Object* d1 = host.Object("D1");
    Host_Object* d2 = host.Object("D2");
    Host_Object* d3 = host.Object("D3");
    host.Children(b, {d1, d2, d3});
    host.Face(d1, "d1");
    host.Face(d3, "d3");
    Host_Object* x = host.Object("X");
    Host_Object* e = host.Object("E");
    Host_Object* f = host.Object("F");
    host.Children(x, {e, f});
    host.Face(e, "e0");
    host.Face(f, "f0");
    host.Source(c2, e);

    Draw_Object(&host.scene, a, a);

    EXPECT_EQ(Joined(host.log),
              "op3(A) op5(A) op4(A,0) op6(B,A) op9(B,A) test(b0) setup(b0) "
              "op3(C1) op4(C1,0) op5(C1) op6(D1,C1) op9(D1,C1) test(d1) setup(d1) "
              "op3(C2) op5(C2) op4(C2,0) op6(E,C2) op9(E,C2) test(e0) setup(e0) "
              "op3(C3) op4(C3,0) op5(C3) op6(F,C3) op9(F,C3) test(f0) setup(f0)");
}

TEST_F(Traversal, Group_Without_Hint_Or_With_Another_Source_Ignores_The_Hint) {
    Host_Object* g = host.Group("G");
    Host_Object* h = host.Object("H");
    Host_Object* s = host.Object("S");
    Draw_Group(&host.scene, g, nullptr);
    host.Source(g, s);
    Draw_Group(&host.scene, g, h);
    EXPECT_EQ(Joined(host.log),
              "op3(G) op4(G,0) op5(G) op6(G,G) op9(G,G) "
              "op3(G) op4(G,0) op5(G) op6(S,G) op9(S,G)");
}

TEST_F(Traversal, Member_Outside_A_Group_Is_Skipped_But_Its_Children_Are_Drawn) {
    Host_Object* m = host.Member("M");
    host.Face(m, "m0");
    Host_Object* c = host.Object("C");
    host.Face(c, "c0");
    host.Child(m, c);
    Host_Object* a = host.Object("A");
    Host_Object* n = host.Member("N");
    Host_Object* k = host.Object("K");
    host.Child(a, n);
    host.Child(n, k);

    Draw_Object(&host.scene, m, m);
    Draw_Object(&host.scene, a, a);

    EXPECT_EQ(Joined(host.log),
              "op3(C) op5(C) op4(C,0) op6(C,C) op9(C,C) test(c0) setup(c0) "
              "op3(A) op5(A) op4(A,0) op6(A,A) op9(A,A) "
              "op3(K) op5(K) op4(K,0) op6(K,K) op9(K,K)");
}

// G draws as S; members M1 (with member M11) and M2 pair with S's children
// T1 (with T11), T2, T3; N is not a member and is passed over by the member
// walks with its member child M3, but drawn by the ordinary walk afterwards.
struct Group_Scene {
    explicit Group_Scene(Logging_Host& host) {
        g = host.Group("G");
        g->op4_argument = 3;
        s = host.Object("S");
        s->op4_argument = 8;
        host.Source(g, s);
        m1 = host.Member("M1");
        m11 = host.Member("M11");
        n = host.Object("N");
        m3 = host.Member("M3");
        m2 = host.Member("M2");
        host.Children(g, {m1, n, m2});
        host.Child(m1, m11);
        host.Child(n, m3);
        t1 = host.Object("T1");
        t11 = host.Object("T11");
        t2 = host.Object("T2");
        t3 = host.Object("T3");
        host.Children(s, {t1, t2, t3});
        host.Child(t1, t11);
        for (Host_Object* object : {g, s, m1, m11, n, m3, m2, t1, t11, t2, t3}) {
            host.Face(object, "f" + host.Of(object).name);
        }
    }
    Host_Object *g, *s, *m1, *m11, *n, *m3, *m2, *t1, *t11, *t2, *t3;
};

TEST_F(Traversal, Group_In_View_Prepares_Members_Then_Sets_Up_Own_Then_Member_Faces) {
    Group_Scene scene(host);

    Draw_Object(&host.scene, scene.g, scene.g);

    EXPECT_EQ(Joined(host.log),
              "op3(G) op4(G,3) op3(M1) op4(M1,0) op3(M11) op4(M11,0) op3(M2) op4(M2,0) "
              "op5(G) op6(S,G) op9(S,G) op9(T1,M1) op9(T11,M11) op9(T3,M2) "
              "test(fS) setup(fS) test(fT1) setup(fT1) test(fT11) setup(fT11) test(fT3) setup(fT3) "
              "op3(N) op5(N) op4(N,0) op6(N,N) op9(N,N) test(fN) setup(fN)");
    EXPECT_EQ(host.op9_generations, std::vector<std::uint32_t>({1, 2, 3, 4, 5}));
    EXPECT_EQ(host.services->transform_generation, 5u);
}

TEST_F(Traversal, Group_Out_Of_View_Is_Drawn_Whole_When_A_Later_Member_Is_In_View) {
    Host_Object* g = host.Group("G");
    Host_Object* m1 = host.Member("M1");
    Host_Object* m11 = host.Member("M11");
    Host_Object* m2 = host.Member("M2");
    Host_Object* m3 = host.Member("M3");
    host.Children(g, {m1, m2, m3});
    host.Child(m1, m11);
    for (Host_Object* object : {g, m1, m11, m2, m3}) host.Face(object, "f" + host.Of(object).name);
    host.In_View(g, 0);
    host.In_View(m1, 0);
    host.In_View(m11, 0);
    g->in_view = 1;  // stale from an earlier frame: op6 decides

    Draw_Object(&host.scene, g, g);

    // M3 is never asked: the first member in view ends the search. M1 and
    // M11 are prepared and set up although not in view themselves.
    EXPECT_EQ(Joined(host.log),
              "op3(G) op4(G,0) op3(M1) op4(M1,0) op3(M11) op4(M11,0) op3(M2) op4(M2,0) op3(M3) op4(M3,0) "
              "op5(G) op6(G,G) op6(M1,M1) op6(M11,M11) op6(M2,M2) "
              "op9(G,G) op9(M1,M1) op9(M11,M11) op9(M2,M2) op9(M3,M3) "
              "test(fG) setup(fG) test(fM1) setup(fM1) test(fM11) setup(fM11) test(fM2) setup(fM2) "
              "test(fM3) setup(fM3)");
    EXPECT_EQ(g->in_view, 1u);
}

TEST_F(Traversal, Group_With_Nothing_In_View_Draws_Nothing_But_Its_Non_Member_Children) {
    Group_Scene scene(host);
    for (Host_Object* object : {scene.g, scene.m1, scene.m11, scene.m2}) host.In_View(object, 0);

    Draw_Object(&host.scene, scene.g, scene.g);

    // Members are asked through their hints; N and its member child M3 are
    // passed over by that search.
    EXPECT_EQ(Joined(host.log),
              "op3(G) op4(G,3) op3(M1) op4(M1,0) op3(M11) op4(M11,0) op3(M2) op4(M2,0) "
              "op5(G) op6(S,G) op6(T1,M1) op6(T11,M11) op6(T3,M2) "
              "op3(N) op5(N) op4(N,0) op6(N,N) op9(N,N) test(fN) setup(fN)");
    EXPECT_EQ(scene.g->in_view, 0u);
    EXPECT_EQ(host.op9_generations, std::vector<std::uint32_t>({1}));
}

TEST_F(Traversal, Member_Walks_Use_The_Member_Itself_Where_Hints_Run_Out) {
    // The hint list has one entry for two members: the second member stands
    // for itself, and so do members reached below it.
    Host_Object* g = host.Group("G");
    Host_Object* s = host.Object("S");
    host.Source(g, s);
    Host_Object* t1 = host.Object("T1");
    host.Child(s, t1);
    Host_Object* m1 = host.Member("M1");
    Host_Object* m2 = host.Member("M2");
    Host_Object* m21 = host.Member("M21");
    host.Children(g, {m1, m2});
    host.Child(m2, m21);

    Prepare_Group_Members(&host.scene, g->first_child, s->first_child);
    EXPECT_EQ(Joined(host.log), "op9(T1,M1) op9(M2,M2) op9(M21,M21)");
}

TEST_F(Traversal, Any_Member_In_View_Asks_Members_Only) {
    EXPECT_EQ(Any_Member_In_View(&host.scene, nullptr, nullptr), 0);

    // Non-members in view do not count, and members below them are not asked.
    Host_Object* g = host.Group("G");
    Host_Object* n = host.Object("N");
    Host_Object* m = host.Member("M");
    Host_Object* inner = host.Group("Inner");
    inner->group_member = 1;  // a group object is never a member
    host.Children(g, {n, inner});
    host.Child(n, m);
    EXPECT_EQ(Any_Member_In_View(&host.scene, g->first_child, nullptr), 0);
    EXPECT_TRUE(host.log.empty()) << Joined(host.log);

    // A member's children are asked before its following siblings.
    Host_Object* h = host.Group("H");
    Host_Object* a = host.Member("A");
    Host_Object* a1 = host.Member("A1");
    Host_Object* b = host.Member("B");
    host.Children(h, {a, b});
    host.Child(a, a1);
    host.In_View(a, 0);
    host.In_View(a1, 0);
    host.In_View(b, 0);
    EXPECT_EQ(Any_Member_In_View(&host.scene, h->first_child, nullptr), 0);
    EXPECT_EQ(Joined(host.log), "op6(A,A) op6(A1,A1) op6(B,B)");
    host.log.clear();
    host.In_View(a1, 1);
    EXPECT_EQ(Any_Member_In_View(&host.scene, h->first_child, nullptr), 1);
    EXPECT_EQ(Joined(host.log), "op6(A,A) op6(A1,A1)");
}

TEST_F(Traversal, Faces_Whose_Material_Has_No_Row_Never_Reach_Setup) {
    Host_Object* a = host.Object("A");
    Host_Material no_render_data{};
    Material_Render_Data no_row_data{};
    Host_Material no_row{};
    no_row.render_data = &no_row_data;
    Dispatch_Row empty_row{};
    Material_Render_Data empty_row_data{&empty_row, nullptr};
    Host_Material no_setup{};
    no_setup.render_data = &empty_row_data;

    host.Face(a, "plain");
    host.Face(a, "no_render_data")->material = &no_render_data;
    host.Face(a, "no_row")->material = &no_row;
    host.Face(a, "no_setup")->material = &no_setup;
    host.Face(a, "no_material")->material = nullptr;
    host.Face(a, "last");

    Draw_Object(&host.scene, a, a);

    EXPECT_EQ(Joined(host.log),
              "op3(A) op5(A) op4(A,0) op6(A,A) op9(A,A) test(plain) setup(plain) test(no_render_data) "
              "test(no_row) test(no_setup) test(no_material) test(last) setup(last)");
}

TEST_F(Traversal, Subtree_Sets_Up_Faces_In_Traversal_Order) {
    // Own faces before the subtree; a child's subtree before its next sibling.
    Host_Object* a = host.Object("A");
    Host_Object* b = host.Object("B");
    Host_Object* b1 = host.Object("B1");
    Host_Object* c = host.Object("C");
    host.Children(a, {b, c});
    host.Child(b, b1);
    for (Host_Object* object : {a, b, b1, c}) host.Face(object, "f" + host.Of(object).name);

    Draw_Object_Subtree(&host.scene, a, a);

    std::vector<std::string> setups;
    for (const std::string& entry : host.log) {
        if (entry.rfind("setup(", 0) == 0) setups.push_back(entry);
    }
    EXPECT_EQ(Joined(setups), "setup(fA) setup(fB) setup(fB1) setup(fC)");
}

}  // namespace
