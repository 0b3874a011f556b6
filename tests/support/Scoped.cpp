#include "support/Scoped.h"

ScopedShellHandler::ScopedShellHandler(bool answer) {
    SetShellOpenHandlerForTesting([this, answer](const QString& address) {
        m_opened.push_back(address);
        return answer;
    });
}
