// The names of the host's messages that the procedure logs itself: catalogs 129 (the
// module loader, the statement services), 580 (the output system) and the host's own
// group (-1); a name is the message's kind, the catalog and what it says.
#pragma once

enum : int {
    // 129.msg
    E129_PARSER_ENTRIES = 54,

    // 129-graphics.msg
    E129_GRAPHICS_MODULE = 53,

    // 580-graphics.msg
    W580_NO_GRAPHICS_DESTINATION = 18,

    // host.msg
    NHOST_NOT_AVAILABLE_YET = 101,
};
