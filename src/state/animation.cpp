#include "state/animation.h"

namespace {
// Transactions nest: the innermost one decides. Only the GUI thread changes state.
thread_local std::optional<Animation> t_current;

class TransactionScope {
public:
    explicit TransactionScope(std::optional<Animation> animation) : m_saved(t_current)
    {
        t_current = animation;
    }
    ~TransactionScope() { t_current = m_saved; }
    TransactionScope(const TransactionScope&) = delete;
    TransactionScope& operator=(const TransactionScope&) = delete;

private:
    std::optional<Animation> m_saved;
};
} // namespace

std::optional<Animation> currentAnimation()
{
    return t_current;
}

void withAnimation(const Animation& animation, const std::function<void()>& change)
{
    withAnimation(std::optional(animation), change);
}

void withoutAnimation(const std::function<void()>& change)
{
    withAnimation(std::nullopt, change);
}

void withAnimation(const std::optional<Animation>& animation, const std::function<void()>& change)
{
    TransactionScope scope(animation);
    change();
}
