#include "link/InProcessPorts.h"

#include "link/BytePipe.h"

#include <QHash>

#include <mutex>

namespace {

struct Registry
{
    std::mutex mutex;
    QHash<QString, std::shared_ptr<BytePipe>> lines;
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

QString InProcessPorts::add(std::shared_ptr<BytePipe> pipe, const QString &prefix)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (int n = 1;; ++n) {
        const QString name = prefix + QString::number(n);
        if (!r.lines.contains(name)) {
            r.lines.insert(name, std::move(pipe));
            return name;
        }
    }
}

void InProcessPorts::remove(const QString &name)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.lines.remove(name);
}

std::shared_ptr<BytePipe> InProcessPorts::find(const QString &name)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.lines.value(name);
}
