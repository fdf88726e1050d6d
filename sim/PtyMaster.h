#pragma once
// The master side of a pseudo-terminal that plays a radio's serial line. The slave is left to
// the tool: whether someone has it open, and at which rate, is read from the master.

#include <string>

class CPtyMaster {
public:
    CPtyMaster() = default;
    ~CPtyMaster();
    CPtyMaster(const CPtyMaster&) = delete;
    CPtyMaster& operator=(const CPtyMaster&) = delete;

    // Creates the pair (non-blocking master). On failure tells why.
    bool Open(std::string* error);
    void Close();

    int Fd() const { return m_fd; }
    // "/dev/pts/4"
    const std::string& SlavePath() const { return m_slavePath; }

    // Whether some process has the slave open now.
    bool SlaveIsOpen() const;
    // Whether bytes the tool wrote are waiting to be read (also after the slave was closed).
    bool HasInput() const;

    // The rate the tool has set on the slave, non-standard rates included; 0 when unknown.
    int ToolBaud() const;

    // Discards whatever is queued in either direction.
    void Flush();

private:
    int m_fd = -1;
    std::string m_slavePath;
};
