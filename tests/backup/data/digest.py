# Independent reference of the administrator password digest, written from the
# algorithm's description: prints the digest of each argument (given as hex of
# its Windows-1250 bytes) as hex.
import sys

class Rnd:
    def __init__(self, seed):
        self.seed = seed & 0xFFFFFFFF
    def random(self, n):
        self.seed = (self.seed * 134775813 + 1) % 2**32
        return (self.seed * n) // 2**32

def digest(p: bytes) -> bytes:
    r = Rnd(sum(p))
    s = bytearray(p)
    k = r.random(30) + 6
    for _ in range(k):
        pos = r.random(len(s)) + 1
        c = r.random(150) + 32
        s[pos - 1:pos - 1] = bytes([c])
    m = r.random(50) + 50
    s = bytearray(b" ") + s
    for _ in range(m):
        L = len(s)
        i = r.random(L - 2) + 2
        j = r.random(L - 2) + 2
        s[0] = s[i - 1]
        s[i - 1] = s[j - 1]
        s[j - 1] = s[0]
    return bytes(s)

for arg in sys.argv[1:]:
    print(digest(bytes.fromhex(arg)).hex())
