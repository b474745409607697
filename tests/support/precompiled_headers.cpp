// The translation unit that carries a test folder's precompiled headers; it has no code.
