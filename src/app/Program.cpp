#include "app/Program.h"

#include "core/Startup.h"

Program::Program(const QString& appDir)
{
    m_state.AppDir = appDir;
}

Program::~Program()
{
    Unload_Program(m_panel);
    m_worker.shutDown(0);
}

void Program::start()
{
    Form_Load(m_panel);
    m_window.show();
}
