// A started library with recording host memory, and materials that are given
// back when a test ends, so every test starts from a clean memory log and the
// sanitizers see no leaks.
#ifndef QUORVEL_TESTS_INTERFACE_LIBRARY_H
#define QUORVEL_TESTS_INTERFACE_LIBRARY_H

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/materials.h"
#include "core/services.h"
#include "interface/interface.h"
#include "quorvel/quorvel_soft.h"

class Library_Test : public ::testing::Test {
protected:
    void SetUp() override {
        quorvel_host::Use_Recording_Memory(*services);
        Quorvel_Init_Render_Dll(services.Record());
        quorvel_host::Memory().Reset();
    }

    void TearDown() override {
        for (Host_Material* material : added) Quorvel_Release_Material_Dll(material);
        added.clear();
    }

    // A material that lives until the test ends, after its release.
    quorvel_host::Material& New_Material() {
        materials.push_back(std::make_unique<quorvel_host::Material>());
        return *materials.back();
    }
    // Adds the material to the library; it is released when the test ends,
    // so it must live that long (New_Material).
    Host_Material* Add(quorvel_host::Material& material) {
        EXPECT_EQ(Quorvel_Add_Material_Dll(material.Record()), 1);
        added.push_back(material.Record());
        return material.Record();
    }
    // Releases now instead of at the end of the test.
    void Release(Host_Material* material) {
        added.erase(std::remove(added.begin(), added.end(), material), added.end());
        Quorvel_Release_Material_Dll(material);
    }

    static std::uint32_t* Table(Host_Material* material) { return material->render_data->shade_table; }
    static const Dispatch_Row* Row_Chosen(Host_Material* material) { return material->render_data->row; }
    static quorvel_host::Memory_Log& Log() { return quorvel_host::Memory(); }

    quorvel_host::Services services{16, 16};
    std::vector<std::unique_ptr<quorvel_host::Material>> materials;
    std::vector<Host_Material*> added;
};

#endif
