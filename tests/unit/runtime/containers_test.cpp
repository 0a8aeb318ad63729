// The kernel's containers: keys of every length up to and past a word, differing in one byte at
// each place, are found again, a repeated key gives back the node that holds it, a key never
// inserted is not found, and the walk goes in key order, also after the table has grown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/threads/kernel.h"

TEST(Containers, ShortAndLongKeysFoundAgainInKeyOrder) {
    const kavlext* av = rt::kern::containers();
    constexpr int OFF = 8;   // the key behind a node head of 8 bytes
    for (int len : {1, 3, 4, 5, 7, 8, 9, 12}) {
        kcontainer* c = av->create(OFF, len, 4);
        ASSERT_NE(c, nullptr);
        std::vector<std::string> keys;
        for (int at = 0; at < len; ++at)
            for (int v = 1; v < 40; ++v) {
                std::string k(static_cast<size_t>(len), 'a');
                k[static_cast<size_t>(at)] = static_cast<char>('a' + v);
                keys.push_back(k);
            }
        keys.push_back(std::string(static_cast<size_t>(len), 'a'));
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        std::vector<std::vector<char>> nodes;
        for (const std::string& k : keys) {
            nodes.emplace_back(static_cast<size_t>(OFF + len), 0);
            std::memcpy(nodes.back().data() + OFF, k.data(), k.size());
        }
        for (auto& n : nodes) ASSERT_EQ(av->insert(c, n.data()), n.data()) << len;
        EXPECT_EQ(av->count(c), static_cast<int64_t>(keys.size()));
        for (size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(av->find(c, keys[i].data()), nodes[i].data()) << len << " " << keys[i];
            std::vector<char> again(nodes[i]);
            EXPECT_EQ(av->insert(c, again.data()), nodes[i].data());
        }
        const std::string none(static_cast<size_t>(len), '#');
        EXPECT_EQ(av->find(c, none.data()), nullptr) << len;
        size_t i = 0;
        for (void* p = av->first(c); p; p = av->next(c, p), ++i) ASSERT_EQ(p, nodes[i].data()) << len;
        EXPECT_EQ(i, keys.size());
        av->destroy(c);
    }
}
