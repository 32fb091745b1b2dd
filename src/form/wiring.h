// The wiring table of a window, from (control, event) to handler, and the dispatcher that a
// front end raises events through.
#pragma once

#include <span>
#include <string_view>

#include "platform/events.h"

namespace vantrel::form {

template <class Form>
struct Wiring {
  std::string_view control;
  platform::Event event;
  void (*handler)(Form& form, const platform::EventArgs& args);
};

template <class Form>
class Dispatcher final : public platform::EventSink {
 public:
  explicit Dispatcher(std::span<const Wiring<Form>> table) : table_(table) {}

  // Events raised before the form is bound (while its window loads) run no handler.
  void Bind(Form* form) { form_ = form; }

  bool Handles(std::string_view control, platform::Event event) const override {
    return Find(control, event) != nullptr;
  }

  void Raise(std::string_view control, platform::Event event,
             const platform::EventArgs& args) override {
    const Wiring<Form>* row = Find(control, event);
    if (row != nullptr && form_ != nullptr) row->handler(*form_, args);
  }

 private:
  const Wiring<Form>* Find(std::string_view control, platform::Event event) const {
    for (const auto& row : table_) {
      if (row.control == control && row.event == event) return &row;
    }
    return nullptr;
  }

  std::span<const Wiring<Form>> table_;
  Form* form_ = nullptr;
};

}  // namespace vantrel::form
