#include "simulator/ui/memory_choice.h"

#include <QRadioButton>
#include <QVBoxLayout>

namespace kavrin::ui {

QGroupBox* MemoryChoice(QWidget* parent, std::function<void(bool physical)> changed) {
  auto* box = new QGroupBox(QStringLiteral("Memory"), parent);
  auto* virtualButton = new QRadioButton(QStringLiteral("Virtual"), box);
  auto* physicalButton = new QRadioButton(QStringLiteral("Physical"), box);
  virtualButton->setChecked(true);
  QObject::connect(physicalButton, &QRadioButton::toggled, box,
                   [changed = std::move(changed)](bool on) { changed(on); });
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(virtualButton);
  layout->addWidget(physicalButton);
  return box;
}

} // namespace kavrin::ui
