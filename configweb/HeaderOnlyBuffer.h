#ifndef CONFIGWEB_HEADERONLYBUFFER_H
#define CONFIGWEB_HEADERONLYBUFFER_H

#include <streambuf>

// An output buffer that passes an answer's header block (up to and including the empty
// line that ends it) to `target` and drops what follows: the answer to a HEAD request.
class HeaderOnlyBuffer : public std::streambuf {
public:
    explicit HeaderOnlyBuffer(std::streambuf* target) : target(target) {}

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    std::streambuf* target;
    char previous = '\0';
    bool bodyStarted = false;
};

#endif
