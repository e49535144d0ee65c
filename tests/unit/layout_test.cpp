// The design tables of the main window, the task chooser and the about box at every scale the
// program meets (96 to 192 DPI), as the windows place their controls through ScaledPlace: nothing
// that stands apart at 96 DPI overlaps at another scale, and everything stays inside the client area
// that the box bevel frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "base/ControlDesign.h"
#include "ui/InfoLayout.h"
#include "ui/TaskSelLayout.h"

namespace norvanex {
namespace {

struct Table {
    const char* name;
    const ControlDesign* rows;
    std::size_t count;
};

template <std::size_t N>
Table TableOf(const char* name, const ControlDesign (&rows)[N]) {
    return {name, rows, N};
}

const Table kTables[] = {
    TableOf("main window", kMainDesign),
    TableOf("task chooser", tasksel::kDesign),
    TableOf("about box", kInfoDesign),
};

constexpr int kScales[] = {96, 120, 144, 168, 192};

// A window of its own size: bevels and group boxes frame others on purpose, a fitted label takes
// its size from its text.
bool IsSizedWindow(const ControlDesign& d) {
    return d.kind != ControlKind::TopLine && d.kind != ControlKind::Frame && d.kind != ControlKind::BoxBevel &&
           d.kind != ControlKind::GroupBox && (d.width != 0 || d.height != 0);
}

PixelPlace At(const ControlDesign& d, int dpi) { return ScaledPlace(d.left, d.top, d.width, d.height, dpi); }

bool Apart(const PixelPlace& a, const PixelPlace& b) {
    return a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
}

const ControlDesign& BoxOf(const Table& table) {
    for (std::size_t i = 0; i < table.count; ++i) {
        if (table.rows[i].kind == ControlKind::BoxBevel) return table.rows[i];
    }
    return table.rows[0];
}

TEST(Layout, ControlsApartAtOneScaleStayApartAtEvery) {
    for (const Table& table : kTables) {
        for (const int dpi : kScales) {
            for (std::size_t i = 0; i < table.count; ++i) {
                const ControlDesign& a = table.rows[i];
                if (!IsSizedWindow(a)) continue;
                for (std::size_t j = i + 1; j < table.count; ++j) {
                    const ControlDesign& b = table.rows[j];
                    if (!IsSizedWindow(b) || !Apart(At(a, 96), At(b, 96))) continue;
                    EXPECT_TRUE(Apart(At(a, dpi), At(b, dpi)))
                        << table.name << " at " << dpi << " DPI: rows " << a.id << " and " << b.id << " overlap";
                }
            }
        }
    }
}

TEST(Layout, EveryControlInsideTheFramedClientArea) {
    for (const Table& table : kTables) {
        const ControlDesign& box = BoxOf(table);
        ASSERT_EQ(box.kind, ControlKind::BoxBevel) << table.name;
        for (const int dpi : kScales) {
            const PixelPlace client = At(box, dpi);
            for (std::size_t i = 0; i < table.count; ++i) {
                const ControlDesign& d = table.rows[i];
                const PixelPlace p = At(d, dpi);
                EXPECT_GE(p.left, client.left) << table.name << " row " << d.id << " at " << dpi;
                EXPECT_GE(p.top, client.top) << table.name << " row " << d.id << " at " << dpi;
                EXPECT_LE(p.right, client.right) << table.name << " row " << d.id << " at " << dpi;
                EXPECT_LE(p.bottom, client.bottom) << table.name << " row " << d.id << " at " << dpi;
                // A fitted label starts left of the right margin, so it has room for its text.
                if (d.width == 0 && d.height == 0) {
                    EXPECT_LT(p.left, client.right - ScaledPlace(0, 0, kLabelRightMargin, 0, dpi).right)
                        << table.name << " row " << d.id << " at " << dpi;
                }
            }
        }
    }
}

}  // namespace
}  // namespace norvanex
