#include "HeaderOnlyBuffer.h"

HeaderOnlyBuffer::int_type HeaderOnlyBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()) || bodyStarted) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    if (traits_type::eq_int_type(target->sputc(byte), traits_type::eof())) return traits_type::eof();
    bodyStarted = byte == '\n' && previous == '\n';
    previous = byte;
    return c;
}

int HeaderOnlyBuffer::sync() { return target->pubsync(); }
