#include "base/Prompts.h"

#include <atomic>
#include <iostream>

namespace {

class StderrPrompts : public IPrompts {
public:
    void ShowMessage(const std::string& caption, const std::string& text,
                     PromptIcon /*icon*/) override {
        std::cerr << caption << ": " << text << '\n' << std::flush;
    }
};

IPrompts& DefaultPrompts() {
    static StderrPrompts prompts;
    return prompts;
}

std::atomic<IPrompts*> g_installedPrompts{nullptr};

} // namespace

namespace Prompts {

IPrompts& Current() {
    IPrompts* installed = g_installedPrompts.load(std::memory_order_acquire);
    return installed != nullptr ? *installed : DefaultPrompts();
}

void Install(IPrompts* prompts) {
    g_installedPrompts.store(prompts, std::memory_order_release);
}

} // namespace Prompts
