#pragma once
// The editor's tool button pictures, drawn in code so that they look the
// same on every desktop and need no image files.
//
//   action->setIcon(velkor::ui::EditorIcon("link"));   // a null icon for an unknown name

#include <QIcon>
#include <string_view>

namespace velkor::ui {

QIcon EditorIcon(std::string_view name);

} // namespace velkor::ui
