#pragma once

// The result the hall of fame windows give when their close box closes them: Cancel (2), where
// QDialog would report Rejected (0). OK is Qt's own: accept(), and QDialog::Accepted.
namespace ModalResult {
constexpr int Cancel = 2;
} // namespace ModalResult
