#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DriveProbe.h"

namespace tessarin {

// Which of the editor's field layouts an action node shows.
enum class FieldLayout { None, File, Url, Email, Namespace, Paste };

// One node of the catalogue tree. Its position is its index in the tree plus one.
struct CatalogueNode {
    std::string Text;
    std::string Key;        // empty when the node has none
    std::string ParentKey;  // empty for a root node
    int Icon = 0;           // 1-based number in the editor's image list
};

using CatalogueTree = std::vector<CatalogueNode>;

// The whole catalogue in tree order, with a drive node for every CD-ROM drive from B: to Z:
// under "CD Eject" and again under "CD Close".
CatalogueTree FillActionTree(const DriveProbe& drives);

// The parent of the node at a position; nullptr for a root node or a position outside the tree.
const CatalogueNode* ParentNode(const CatalogueTree& tree, std::int32_t position);

// True for the category nodes, which produce no action.
bool IsCategoryNode(const CatalogueTree& tree, std::int32_t position);

// The field layout of an action node. Categories and positions outside the tree have none to
// show and give None; the editor asks IsCategoryNode first, because a category leaves the fields
// as they were.
FieldLayout NodeFieldLayout(const CatalogueTree& tree, std::int32_t position);

enum class BuildOutcome {
    Built,     // the four values are set
    Refused,   // a required field is blank
    NoAction,  // a category node, or a position outside the tree
};

struct BuiltAction {
    BuildOutcome Outcome = BuildOutcome::NoAction;
    std::string ActionType;
    std::string Command;
    std::string Parameters;
    std::int32_t ActionIndex = 0;
};

// Turns the chosen node and the editor's fields into an action, by the catalogue's rules.
BuiltAction BuildActionFromNode(const CatalogueTree& tree, std::int32_t position,
                                const std::string& commandField, const std::string& parametersField,
                                const std::string& pasteText);

// The node that builds a stored action of this caption: the one at `hint` when it does, otherwise
// the one that does. A CD action is built only by the node of the drive its data names, in its own
// section. None when no node builds it: an unknown caption, or a drive that is no longer there.
std::optional<std::int32_t> FindActionNode(const CatalogueTree& tree, std::string_view caption,
                                           std::string_view data, std::int32_t hint);

// The help text the editor shows for a node (lines joined by CR LF); none for category nodes.
std::optional<std::string> NodeHelpText(const CatalogueTree& tree, std::int32_t position);

}  // namespace tessarin
