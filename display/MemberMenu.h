#pragma once
#include <cstdint>
#include <string>

namespace zeva {

class FlexGrid;
class ListBox;
class ZVFieldClass;
class ZVRecordClass;

// The Fields window's Member menu ("Member"): its items with their captions and enabling, built when
// it opens for the grid's current row and the line selected in MemberListBox, and its commands.
struct MemberMenu {
    enum class Command { RemoveQueue, InsertBefore, InsertAfter, ShowAll, HideAll, AddToRecords };
    struct Item {
        std::string Caption;
        bool Enabled = false;
    };
    Item RemoveQueue{"Remove Queue (...)"};
    Item InsertBefore{"Insert (&Before)"};
    Item InsertAfter{"Insert (&After)"};
    Item ShowAll{"Show All", true};
    Item HideAll{"Hide All", true};
    Item AddToRecords{"Add Field to Record (...)"};

    static MemberMenu Build(ZVFieldClass& fields, const ZVRecordClass* records, const FlexGrid& grid,
                            const ListBox& list);
    // Runs a command; the result is a message for the operator, empty when all went well.
    static std::string Run(Command command, ZVFieldClass& fields, ZVRecordClass* records, FlexGrid& grid,
                           ListBox& list);
};

} // namespace zeva
