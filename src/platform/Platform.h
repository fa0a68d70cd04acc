#pragma once
// The platform services the window uses, each replaceable by a test.

namespace tarvik {

class DlgAIc;
class MessageBoxes;
class SettingsStore;
class RandomSource;

struct Platform {
    DlgAIc* Dialog = nullptr;
    MessageBoxes* Messages = nullptr;
    SettingsStore* Settings = nullptr;
    RandomSource* Random = nullptr;
};

} // namespace tarvik
