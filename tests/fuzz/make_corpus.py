#!/usr/bin/env python3
"""Writes the seed corpus of store_fuzzer into tests/fuzz/corpus (the input format is described at
the top of store_fuzzer.cpp). Run it again after changing that format."""
import os
import struct
import sys

REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 0, 1, 2, 3, 4, 7


def u8(v): return struct.pack('<B', v)
def u16(v): return struct.pack('<H', v)


def header(order_digit_at_first=False, after_receive=(True, True), fault=None, skip_lookups=False):
    bits = (1 if order_digit_at_first else 0) | (2 if after_receive[0] else 0) | (4 if after_receive[1] else 0)
    bits |= 0x10 if skip_lookups else 0
    if fault is None:
        return u8(bits)
    nth, status_index = fault
    return u8(bits | 0x08) + u16(nth) + u8(status_index)


def identity(type_, data): return u8(0) + u8(type_) + u8(len(data)) + data
def identity_with_key(text): return identity(REG_SZ, text + b'\0') + value(b'Identities\\' + text, b'', REG_NONE, b'')
def canonical_identity(): return u8(7)
def name_none(): return u8(0)
def name_two_digit(): return u8(1)
def name_digit_at(): return u8(2)
def name_raw(type_, data): return u8(3) + u8(type_) + u8(len(data)) + data
def rule(number, name): return u8(1) + u16(number) + name
def raw_key(key_name, name): return u8(2) + u8(len(key_name)) + key_name + name
def bulk(count, first, gap, mode):
    size = count if count <= 0xF0 else 0xF0 + count // 512
    return u8(3) + u8(size) + u16(first) + u8(gap) + u8(mode)
def order(type_, data): return u8(4) + u8(type_) + u16(len(data)) + data
def value(path, name, type_, data): return u8(5) + u8(len(path)) + path + u8(len(name)) + name + u8(type_) + u16(len(data)) + data
def refuse(which, number=0): return u8(6) + u8(which) + u16(number)
def wide_key(text): return u8(8) + u8(len(text)) + b''.join(u16(ord(c)) for c in text)
def wide_order(text): return u8(9) + u8(len(text)) + b''.join(u16(ord(c)) for c in text)
def link(key_name, target): return u8(10) + u8(len(key_name)) + key_name + u8(len(target)) + target


SEEDS = {
    'empty-store': header() + canonical_identity(),
    'rules-with-gaps': header() + canonical_identity() + rule(0, name_digit_at()) + rule(1, name_raw(REG_SZ, b'other\0'))
    + rule(3, name_none()) + order(REG_SZ, b'000 001 003\0'),
    'order-dword': header() + canonical_identity() + rule(0, name_raw(REG_SZ, b'a\0')) + order(REG_DWORD, b'\x07\0\0\0'),
    'order-expand-trailing-blank': header((True), (False, False)) + canonical_identity() + rule(0, name_none())
    + order(REG_EXPAND_SZ, b'000 \0'),
    'no-identity': header() + value(b'Identities', b'Other', REG_SZ, b'x\0'),
    'identity-dword': header() + identity(REG_DWORD, b'\x01\0\0\0'),
    'identity-long': header() + identity_with_key(b'{' + b'A' * 200 + b'}'),
    # Short enough for the store to open, too long for the criteria keys' whole paths.
    'identity-near-path-limit': header() + identity_with_key(b'{' + b'B' * 185 + b'}'),
    # "Last User ID" naming an identity whose key is gone: no store, nothing made for it.
    'identity-without-key': header() + identity(REG_SZ, b'{GONE}\0') + value(b'Identities\\{OTHER}', b'', REG_NONE, b''),
    'identity-sjis': header() + identity(REG_SZ, b'\x83\x5c\x81\0') + rule(0, name_two_digit()),
    'bulk-1024-gap-7': header() + canonical_identity() + bulk(1024, 0, 7, 1),
    'bulk-200-gap-0x11-first-5': header() + canonical_identity() + bulk(200, 5, 0x11, 2),
    'bulk-4096-full': header(skip_lookups=True) + canonical_identity() + bulk(4096, 0, 0, 0),
    'raw-names': header() + canonical_identity() + raw_key(b'\x81\x5c\x82', name_raw(REG_SZ, b'\x94\xf1x\0'))
    + raw_key(b'a\\b', name_none()) + raw_key(b'\xff\xfe\x80', name_raw(REG_MULTI_SZ, b'n\0\0'))
    + raw_key(b'00a', name_two_digit()),
    'name-dword': header() + canonical_identity() + rule(2, name_raw(REG_DWORD, b'\x01\0\0\0')),
    # A store path of 248 bytes: the rule's Actions key still fits the registry's 260, Criteria
    # does not, so the installation fails after writing and must take its keys away again.
    'long-identity-rollback': header() + identity_with_key(b'{' + b'B' * 185 + b'}'),
    'refused-rule-key': header() + canonical_identity() + rule(0, name_none()) + refuse(2, 0),
    'refused-store': header() + canonical_identity() + refuse(1),
    'values-outside': header() + canonical_identity() + value(b'Software\\Other', b'x', REG_BINARY, b'\x00\x01')
    + value(b'Identities\\{ID}\\Other', b'Order', REG_SZ, b'000\0'),
    # A key name and an "Order" that code page 932 cannot hold ("é"): refused before any change.
    'wide-key-outside': header() + canonical_identity() + rule(0, name_none()) + wide_key('caf\u00e9')
    + order(REG_SZ, b'000\0'),
    'wide-order-outside': header() + canonical_identity() + rule(0, name_none()) + wide_order('000 \u00e9'),
    # ソ (83 5C) unlisted with the digit-@ rule's name, the user's 表 (95 5C) listed; a listed name
    # without its key.
    'remnant-beside-sjis': header() + canonical_identity() + raw_key(b'\x83\x5c', name_digit_at())
    + raw_key(b'\x95\x5c', name_raw(REG_SZ, b'user\0')) + order(REG_SZ, b'\x95\x5c 001\0'),
    # Registry links in remnants, or as one, leading outside the store: refused, nothing changed.
    'remnant-holding-link': header() + canonical_identity() + rule(0, name_raw(REG_SZ, b'user\0')) + order(REG_SZ, b'000\0')
    + rule(1, name_two_digit()) + value(b'Software\\Victim\\Child', b'Kept', REG_SZ, b'x\0')
    + link(b'001\\Link', b'Software\\Victim'),
    # (The fuzz tree is built by clang, which keeps the sources' UTF-8: so are the rule names there.)
    'remnant-is-link': header() + canonical_identity()
    + value(b'Software\\Victim', b'Name', REG_SZ, '非jp含数字@'.encode('utf-8') + b'\0') + link(b'002', b'Software\\Victim'),
    # The store key itself a link to a missing key: creating through it makes that key, where the
    # key above it is there; where it is not, the store stays missing. Found by the fuzzer, as is.
    'store-is-link-to-missing-key': bytes.fromhex('06200002060107000003'),
    'store-is-link-below-missing-key': header(after_receive=(True, False)) + link(b'', b'A\\B') + canonical_identity(),
    # ... and one that refuses to be read itself: it leads on all the same, and so does the oracle.
    'store-is-link-refusing-access': header() + link(b'', b'Target') + canonical_identity() + refuse(1),
    # A rule number whose key is a link to a missing key is taken: the rule would be made through it.
    'rule-number-is-dangling-link': header() + canonical_identity() + link(b'000', b'Victim'),
    'fault-nth-30': header(fault=(30, 0)) + canonical_identity() + rule(1, name_raw(REG_SZ, b'r\0')) + order(REG_SZ, b'001\0'),
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus')
    os.makedirs(out, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
    print(f'{len(SEEDS)} seeds in {out}')


if __name__ == '__main__':
    main()
