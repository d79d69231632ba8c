#!/usr/bin/env python3
# Writes the seed corpus of kestrin_fuzz_receivers into fuzz/corpus/: small scenes in the
# target's step language (see the comment at the top of fuzz_receivers.cpp).
#
#   python3 fuzz/make_corpus.py
import os

ANN, BOB = 0, 1  # Ann's copy is the host, Bob's the joiner
START, CHAT, DISCONNECT, RECONNECT, PEER_CLOSES, BANK, HIGHER, LOWER, ANSWER_NO, DELIVER, DIGIT, ENTER = range(12)


def send(side, text, deliver=True):
    data = text.encode("utf-8") if isinstance(text, str) else text
    what = 0 if deliver else 1
    n = len(data)
    if 1 <= n <= 30:
        head = bytes([((n - 1) << 3) | (what << 1) | side])
    elif n <= 286:
        head = bytes([(30 << 3) | (what << 1) | side, n - 31])
    else:
        head = bytes([(31 << 3) | (what << 1) | side, n >> 8, n & 0xFF])
    return head + data


def act(side, which, extra=b""):
    return bytes([(which << 3) | (2 << 1) | side]) + extra


def clock(n):  # (n + 1) * 250 ms, or 61 s for n == 31
    return bytes([(n << 3) | (3 << 1)])


def box(steps=0):  # read when a message box opens: how many steps run while it is open
    return bytes([steps])


HOST_HANDSHAKE = send(ANN, "CONMallory") + box() + send(ANN, "VER1")
JOIN_HANDSHAKE = send(BOB, "NAMMallory") + send(BOB, "VER1")

SEEDS = {
    "handshake_and_game_host": HOST_HANDSHAKE + act(ANN, START) + send(ANN, "RED* Mallory is ready to start the game")
    + clock(23) + act(ANN, DIGIT, b"\x00") + act(ANN, HIGHER) + act(ANN, BANK) + send(ANN, "SCU 10") + clock(31),
    "handshake_and_game_joiner": JOIN_HANDSHAKE + send(BOB, "RED* Mallory is ready to start the game")
    + act(BOB, START) + send(BOB, "STG") + clock(23) + send(BOB, "SCU-5") + act(BOB, CHAT) + clock(31),
    "coalesced_version_and_goodbye": send(BOB, "NAMMal") + send(BOB, "VER1DIS") + send(ANN, "CONMal") + box()
    + send(ANN, "VER1DIS") + box(),
    "two_scores_in_one_receive": HOST_HANDSHAKE + JOIN_HANDSHAKE + send(ANN, "SCU 10SCU 20") + send(BOB, "SCU 10SCU 20"),
    "countdown_and_score": JOIN_HANDSHAKE + act(BOB, START) + send(BOB, "STGSCU 10") + clock(23) + clock(31),
    "chat_with_codes_inside": HOST_HANDSHAKE + JOIN_HANDSHAKE + send(ANN, "MSGhi SCU 5 DIS VER2 CONx")
    + send(BOB, "MSGSTG SCU 10 MSG") + act(ANN, ENTER),
    "non_ascii_names": send(ANN, "CON\u00c5sa \u00d8lund \u540d\u524d") + box() + send(ANN, "VER1")
    + send(BOB, "NAMJos\u00e9 \U0001F985") + send(BOB, "VER1"),
    "invalid_bytes": send(ANN, b"\xff\xfe\x00garbage\x80") + box() + send(BOB, b"\xc0\xaf\xed\xa0\x80") + box(),
    "lower_case_codes": send(ANN, "con bob") + box() + send(BOB, "nam alice") + box() + send(BOB, "scu 10") + box(),
    "character_split_across_receives": JOIN_HANDSHAKE + send(BOB, b"MSGcaf\xc3") + send(BOB, b"\xa9!") + box()
    + send(BOB, b"MSGna\xc3", deliver=False) + send(BOB, b"\xafve"),
    "name_longer_than_shown": send(ANN, "CON" + "\u00e9" * 2100) + box() + send(BOB, "NAM" + "x" * 2100),
    # Eve's question stays open while her peer leaves, comes back and asks again as Trent.
    "request_while_question_open": send(ANN, "CONEve") + box(5) + act(ANN, PEER_CLOSES) + act(ANN, DELIVER)
    + act(ANN, RECONNECT) + act(ANN, DELIVER) + send(ANN, "CONTrent") + box() + send(ANN, "VER1") + clock(9),
    "versions_out_of_range": send(BOB, "NAMOld") + send(BOB, "VER0") + act(BOB, RECONNECT) + act(BOB, DELIVER)
    + send(BOB, "NAMNew") + send(BOB, "VER2") + send(ANN, "CONBig") + box() + send(ANN, "VER99999") + box(),
    "refused_and_stopped": act(ANN, ANSWER_NO) + send(ANN, "CONNobody") + box() + send(BOB, "REF* M didn't accept")
    + act(BOB, RECONNECT) + JOIN_HANDSHAKE + act(BOB, START) + send(BOB, "STG") + clock(23)
    + send(BOB, "STP* Mallory has stopped play") + act(BOB, DISCONNECT),
}


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
