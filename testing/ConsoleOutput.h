// A console for tests: what a reporter prints, and what it reads as keyboard input.
#pragma once

#include <cstdio>
#include <string>

class TestConsole {
public:
    explicit TestConsole(const std::string& keyboard = "")
        : out_(std::tmpfile()), in_(std::tmpfile()) {
        std::fputs(keyboard.c_str(), in_);
        std::rewind(in_);
    }
    ~TestConsole() {
        std::fclose(out_);
        std::fclose(in_);
    }
    TestConsole(const TestConsole&) = delete;
    TestConsole& operator=(const TestConsole&) = delete;

    std::FILE* out() { return out_; }
    std::FILE* in() { return in_; }

    // Everything printed so far.
    std::string Text() {
        std::fflush(out_);
        std::string text;
        std::rewind(out_);
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, out_)) > 0) text.append(buffer, n);
        std::fseek(out_, 0, SEEK_END);
        return text;
    }
    // What is left unread of the keyboard input.
    std::string Unread() {
        std::string rest;
        int c;
        while ((c = std::fgetc(in_)) != EOF) rest += static_cast<char>(c);
        return rest;
    }

private:
    std::FILE* out_;
    std::FILE* in_;
};
