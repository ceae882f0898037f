#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zeva {

class ZVFieldClass;

// The Fields window's Field menu ("Field"): Remove, Insert Before and Insert After lists with one
// item per attribute column; the items of the column under the pointer carry a check mark.
struct FieldMenu {
    enum class List { Remove, InsertBefore, InsertAfter };
    struct Item {
        std::string Caption;
        bool Enabled = false;
        bool Checked = false;
    };
    std::vector<Item> Remove, InsertBefore, InsertAfter; // one item per attribute column

    static FieldMenu Build(const ZVFieldClass& fields, int currentGridColumn);
    static void Run(List list, std::int16_t index, ZVFieldClass& fields, int currentGridColumn);
};

} // namespace zeva
