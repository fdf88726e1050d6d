#pragma once
// The master side of a pseudo-terminal that plays a radio's serial line. The slave is left to
// the tool: whether someone has it open, at which rate, and when it discards its input (as a
// serial program does when it starts listening), is read from the master.

#include <string>

class CPtyMaster {
public:
    CPtyMaster() = default;
    ~CPtyMaster();
    CPtyMaster(const CPtyMaster&) = delete;
    CPtyMaster& operator=(const CPtyMaster&) = delete;

    // Creates the pair (non-blocking master in packet mode). On failure tells why.
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

    // One read from the line: the bytes the tool wrote are appended to data; *inputDiscarded is
    // set when the tool has discarded its unread input (tcflush) since the last read. False when
    // nothing could be read, errno telling why (EAGAIN: nothing waiting; EIO: nobody has the
    // slave open).
    bool Read(std::string* data, bool* inputDiscarded);

private:
    int m_fd = -1;
    std::string m_slavePath;
};
