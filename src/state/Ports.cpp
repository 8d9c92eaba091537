#include "state/Ports.h"

void Prompts::message(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons, Answered then)
{
    const QString key = title + u'\n' + text;
    if (m_ended || m_openMessages.contains(key))
        return;
    m_openMessages.insert(key);
    showMessage(text, title, icon, buttons, [this, key, then = std::move(then)](MsgResult answer) {
        m_openMessages.remove(key);
        if (then && !m_ended)
            then(answer);
    });
}

void Prompts::showDialog(Dialog dialog, const QString& tag, Closed then)
{
    if (m_ended || !m_openDialogs.insert(dialog).second)
        return;
    openDialog(dialog, tag, [this, dialog, then = std::move(then)](const QString& closedTag) {
        m_openDialogs.erase(dialog);
        if (then && !m_ended)
            then(closedTag);
    });
}
