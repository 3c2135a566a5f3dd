#pragma once

// The modal results the hall of fame windows close with. OK is QDialog::Accepted; the close box
// gives Cancel, which QDialog would otherwise report as Rejected (0).
namespace ModalResult {
constexpr int Ok = 1;
constexpr int Cancel = 2;
} // namespace ModalResult
