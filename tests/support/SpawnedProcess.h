#pragma once
// A helper program (a simulated radio) started with posix_spawn for tests that also run under
// ThreadSanitizer: its standard input and output are pipes, its standard error is the test's.
// QProcess starts a child with a vfork-like clone whose child runs through the sanitizer's
// interceptors on the parent's own state; from then on the sanitizer misses every
// synchronisation of the parent's thread and reports races that are none. posix_spawn's child
// calls no interceptor.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

class CSpawnedProcess {
public:
    CSpawnedProcess(const QString& program, const QStringList& arguments) {
        int in[2] = {-1, -1};
        int out[2] = {-1, -1};
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            CloseAll({in[0], in[1], out[0], out[1]});
            return;
        }
        std::vector<std::string> words{program.toStdString()};
        for (const QString& argument : arguments) {
            words.push_back(argument.toStdString());
        }
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        CloseAll({in[0], out[1]});
        m_stdin = in[1];
        m_stdout = out[0];
    }
    ~CSpawnedProcess() {
        Kill();
        CloseAll({m_stdin, m_stdout});
    }
    CSpawnedProcess(const CSpawnedProcess&) = delete;
    CSpawnedProcess& operator=(const CSpawnedProcess&) = delete;

    // The next line the program writes on its standard output, without its line end; empty when
    // none came within timeoutMs (a bound against a hang only).
    QString ReadLine(int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        std::string line;
        while (m_stdout >= 0 && clock.elapsed() < timeoutMs) {
            pollfd readable{m_stdout, POLLIN, 0};
            if (::poll(&readable, 1, 50) <= 0) {
                continue;
            }
            char c = 0;
            if (::read(m_stdout, &c, 1) != 1) {
                break;
            }
            if (c == '\n') {
                return QString::fromLocal8Bit(line.c_str());
            }
            line += c;
        }
        return {};
    }

    // Writes bytes to the program's standard input.
    void Write(const QByteArray& bytes) {
        for (qsizetype done = 0; m_stdin >= 0 && done < bytes.size();) {
            const ssize_t n = ::write(m_stdin, bytes.constData() + done,
                                      static_cast<size_t>(bytes.size() - done));
            if (n <= 0) {
                break;
            }
            done += n;
        }
    }

    // Ends the program at once and waits for it.
    void Kill() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    static void CloseAll(std::initializer_list<int> fds) {
        for (int fd : fds) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
};
