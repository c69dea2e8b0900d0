# SPDX-License-Identifier: MIT
"""The Python faker library on tabbit-gen's 5-digit work, for bench/gen_vs_floor.sh:
COUNT records of five digits and ";\n" into FILE, seeded, written in large batches so that
the figure is the library's and not the file system's.
Usage: python3 bench/peer_faker.py COUNT FILE"""
import sys

from faker import Faker

BATCH_RECORDS = 65536


def main():
    if len(sys.argv) != 3 or not sys.argv[1].isdigit():
        sys.exit("usage: python3 peer_faker.py COUNT FILE")
    count, path = int(sys.argv[1]), sys.argv[2]
    fake = Faker()
    # Newer releases seed through the class and refuse the instance call; older ones only
    # have the instance call.
    if hasattr(Faker, "seed"):
        Faker.seed(1)
    else:
        fake.seed(1)
    with open(path, "w", encoding="ascii", newline="") as out:
        batch = []
        for _ in range(count):
            batch.append(fake.numerify("#####") + ";\n")
            if len(batch) == BATCH_RECORDS:
                out.write("".join(batch))
                batch.clear()
        out.write("".join(batch))


if __name__ == "__main__":
    main()
