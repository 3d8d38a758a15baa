// The one way the program shows a modal box. By default it is a real
// QMessageBox; tests install a handler that records the request and answers.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMessageBox;

namespace velqoris::dialogs {

enum class Icon { Error, Question };

struct BoxRequest {
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  Icon icon = Icon::Error;
  std::vector<std::string> buttons;  // left to right, UTF-8
};

// Returns the index of the button pressed, or -1 when the box was closed.
using BoxHandler = std::function<int(const BoxRequest&)>;

// An empty handler restores the real box.
void SetBoxHandler(BoxHandler handler);

int ShowBox(const BoxRequest& request);

// Error icon, the one button "OK".
void ShowError(const std::string& text, const std::string& caption);

// Question icon, buttons "はい(&Y)" and "いいえ(&N)"; true only for Yes.
bool AskYesNo(const std::string& text, const std::string& caption);

// The real box for a request, without an owner window, not yet shown. Its
// buttons are added in the request's order.
std::unique_ptr<QMessageBox> MakeBox(const BoxRequest& request);

}  // namespace velqoris::dialogs
