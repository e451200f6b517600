// Accelerator tables: keys that the message loop turns into commands before they are dispatched.
#include "platform/core/widget_parts.h"
#include "resources/ui_resources.h"

namespace platform {

struct AcceleratorTableObject {
  const resources::AcceleratorTable* table;
};

namespace {

AcceleratorTableObject acceleratorPool[4];

}  // namespace

namespace widget {

void resetAccelerators() {
  for (AcceleratorTableObject& a : acceleratorPool) a = AcceleratorTableObject{};
}

}  // namespace widget

Accelerators loadAccelerators(int id) {
  const resources::AcceleratorTable* table = resources::findAcceleratorTable(id);
  if (table == nullptr) return nullptr;
  AcceleratorTableObject* slot = nullptr;
  for (AcceleratorTableObject& loaded : acceleratorPool) {
    if (loaded.table == table) return &loaded;
    if (loaded.table == nullptr && slot == nullptr) slot = &loaded;
  }
  if (slot != nullptr) slot->table = table;
  return slot;
}

bool translateAccelerator(Window window, Accelerators table, const Message& message) {
  if (table == nullptr || table->table == nullptr || message.id != msg::keyDown) return false;
  const int code = static_cast<int>(message.wParam);
  const bool alt = (code & key::altModifier) != 0;
  const int bare = code & ~key::altModifier;
  for (int i = 0; i < table->table->count; ++i) {
    const resources::Accelerator& entry = table->table->entries[i];
    if (entry.key != bare || entry.alt != alt) continue;
    sendMessage(window, msg::command, static_cast<WParam>(entry.command), 0);
    return true;
  }
  return false;
}

}  // namespace platform
