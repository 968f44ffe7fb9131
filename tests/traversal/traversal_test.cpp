// Scene traversal: the exact order and arguments of the host operations, the
// hints that pair an object's children with its source's, group visibility
// from members, and which faces reach setup.
#include <gtest/gtest.h>

#include <vector>

#include "quorvel/quorvel_soft.h"
#include "support/logging_host.h"
#include "traversal/traversal.h"

namespace {

class Traversal : public ::testing::Test {
protected:
    std::string Draw(Host_Object* object) {
        host.log.clear();
        Draw_Object(&host.scene, object, object);
        return host.log;
    }
    quorvel_test::Logging_Host host;
};

TEST_F(Traversal, Ordinary_Objects_Sources_And_The_Op7_Condition) {
    // Faces refused by the test never reach setup; neither a sibling nor the
    // next top-level object belongs to the call.
    Host_Object* a = host.Object("A");
    a->op4_argument = 7;
    host.Face(a, "a0");
    host.Reject(host.Face(a, "a1"));
    a->next_sibling = a->next_object = host.Object("B");
    host.services->transform_generation = 41;
    EXPECT_EQ(Draw(a), "op3(A) op5(A) op4(A,7) op6(A,A) op9(A,A) test(a0) setup(a0) test(a1)");

    // C draws as S: S's table (T1) runs op6, op7 and op9, C's own op3, op4
    // and op5; op4 gets S's value and op7 follows S's info, not C's.
    Host_Object *c = host.Object("C"), *s = host.Object("S"), *d = host.Object("D");
    host.Face(c, "c0");
    host.Face(s, "s0");
    host.Of(c).source = s;
    host.Of(c).info.op7_word_a = host.Of(d).info.op7_word_a = host.Of(s).info.op7_word_b = 1;
    s->op4_argument = 5;
    s->object_class = &host.classes[1];
    EXPECT_EQ(Draw(c), "op3(C) op5(C) op4(C,5) T1.op6(S,C) T1.op7(S,C) T1.op9(S,C) test(s0) setup(s0)");
    EXPECT_EQ(Draw(d), "op3(D) op5(D) op4(D,0) op6(D,D) op7(D,D) op9(D,D)");
    host.Of(d).source = host.Object("E");
    EXPECT_EQ(Draw(d), "op3(D) op5(D) op4(D,0) op6(E,D) op9(E,D)");

    // Out of view: no op9 and no face, but the children are drawn.
    host.Of(d).in_view_result = 0;
    host.Object("K", d);
    EXPECT_EQ(Draw(d), "op3(D) op5(D) op4(D,0) op6(E,D) op3(K) op5(K) op4(K,0) op6(K,K) op9(K,K)");
    EXPECT_EQ(host.op9_generations, (std::vector<std::uint32_t>{42, 43, 44, 45, 46}));

    // A member outside a group is passed over, its children are drawn.
    Host_Object* m = host.Member("M");
    host.Face(m, "m0");
    host.Object("L", m);
    EXPECT_EQ(Draw(m), "op3(L) op5(L) op4(L,0) op6(L,L) op9(L,L)");
}

TEST_F(Traversal, Hints_Walk_The_Source_Hierarchy_In_Step) {
    // A draws as B, so A's children take B's children as hints. A group
    // whose op5 gives itself draws as its hint; after a group the next hint
    // is the group's own sibling, after an ordinary object its source's.
    // Own faces are set up before the children's.
    Host_Object *a = host.Object("A"), *b = host.Object("B"), *x = host.Object("X");
    host.Of(a).source = b;
    host.Face(b, "fB");
    host.Face(host.Group("C1", a), "fC1");  // drawn as its hint D1: this face is not set up
    host.Of(host.Object("C2", a)).source = host.Object("E", x);
    host.Group("C3", a);
    host.Face(x->first_child, "fE");
    host.Face(host.Object("F", x), "fF");
    host.Face(host.Object("D1", b), "fD1");
    host.Object("D2", b);
    EXPECT_EQ(Draw(a),
              "op3(A) op5(A) op4(A,0) op6(B,A) op9(B,A) test(fB) setup(fB) "
              "op3(C1) op4(C1,0) op5(C1) op6(D1,C1) op9(D1,C1) test(fD1) setup(fD1) "
              "op3(C2) op5(C2) op4(C2,0) op6(E,C2) op9(E,C2) test(fE) setup(fE) "
              "op3(C3) op4(C3,0) op5(C3) op6(F,C3) op9(F,C3) test(fF) setup(fF)");
}

TEST_F(Traversal, Groups_Are_Drawn_Whole_When_They_Or_A_Member_Are_In_View) {
    quorvel_test::Group_Scene group(host);
    // In view: members prepared (through their hints) before any face is set
    // up, own faces before the members'; N afterwards as an ordinary child.
    const std::string members =
        "op3(G) op4(G,3) op3(M1) op4(M1,0) op3(M11) op4(M11,0) op3(M2) op4(M2,0) op5(G) op6(S,G) ";
    const std::string drawn =
        "op9(S,G) op9(T1,M1) op9(T11,M11) op9(T3,M2) test(fS) setup(fS) test(fT1) setup(fT1) "
        "test(fT11) setup(fT11) test(fT3) setup(fT3) ";
    const std::string n = "op3(N) op5(N) op4(N,0) op6(N,N) op9(N,N) test(fN) setup(fN)";
    EXPECT_EQ(Draw(group.g), members + drawn + n);
    EXPECT_EQ(host.op9_generations, (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
    // Nothing in view: every member is asked, nothing of the group is drawn.
    for (Host_Object* object : {group.g, group.m1, group.m11, group.m2}) host.Of(object).in_view_result = 0;
    EXPECT_EQ(Draw(group.g), members + "op6(T1,M1) op6(T11,M11) op6(T3,M2) " + n);
    EXPECT_EQ(group.g->in_view, 0u);
    // Only M11 in view: the search ends there, the group is drawn whole.
    host.Of(group.m11).in_view_result = 1;
    EXPECT_EQ(Draw(group.g), members + "op6(T1,M1) op6(T11,M11) " + drawn + n);
    EXPECT_EQ(group.g->in_view, 1u);
}

TEST_F(Traversal, Faces_Without_A_Material_Row_Or_Setup_Slot_Are_Tested_But_Never_Set_Up) {
    // Each face after the first lacks one link of the way to slot 1; the
    // host's face test still runs for every one of them.
    Host_Object* a = host.Object("A");
    Dispatch_Row no_setup{};
    Material_Render_Data no_row{}, data_without_setup{&no_setup};
    Host_Material without_data{}, without_row{.render_data = &no_row},
        without_setup{.render_data = &data_without_setup};
    host.Face(a, "drawn");
    host.Face(a, "no_material")->material = nullptr;
    host.Face(a, "no_data")->material = &without_data;
    host.Face(a, "no_row")->material = &without_row;
    host.Face(a, "no_setup")->material = &without_setup;
    EXPECT_EQ(Draw(a),
              "op3(A) op5(A) op4(A,0) op6(A,A) op9(A,A) test(drawn) setup(drawn) test(no_material) "
              "test(no_data) test(no_row) test(no_setup)");
}

TEST_F(Traversal, Render_Before_Init_Or_Without_A_Frame_Buffer_Walks_No_Object_And_Draws_Nothing) {
    Host_Object* a = host.Top(host.Object("A"));
    host.Face(a, "a0");
    std::vector<std::uint16_t> frame(320 * 240, 0x5555);
    // Before Quorvel_Init_Render_Dll the library has no services to read.
    Host_Services* services = std::exchange(interface_state.services, nullptr);
    EXPECT_EQ(Quorvel_Render_Dll(&host.scene, frame.data(), 0, 1), 0);
    EXPECT_EQ(host.log, "");
    interface_state.services = services;
    EXPECT_EQ(Quorvel_Render_Dll(&host.scene, nullptr, 0, 1), 0);
    EXPECT_EQ(host.log.find("op"), std::string::npos) << host.log;
    EXPECT_EQ(frame, std::vector<std::uint16_t>(320 * 240, 0x5555));
}

}  // namespace
