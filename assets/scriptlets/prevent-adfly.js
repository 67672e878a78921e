function preventAdfly(source, args) {
  // adf.ly's wait page carries the destination in the global `ysmm`, scrambled,
  // and only reveals it after a countdown and an ad. When the page assigns
  // ysmm we unscramble it ourselves and go straight to the destination. A
  // value that does not unscramble to an http(s) URL is left to the page.
  try {
    const isDigit = (c) => c >= '0' && c <= '9';

    // The current scheme: characters at even positions, then those at odd
    // positions in reverse; pairs of digits xor-ed together; base64 of the
    // URL between 16 characters of padding on each side.
    function unscramble(encoded) {
      let front = '';
      let back = '';
      for (let i = 0; i < encoded.length; i++) {
        if (i % 2 === 0) {
          front += encoded[i];
        } else {
          back = encoded[i] + back;
        }
      }
      const chars = (front + back).split('');
      for (let i = 0; i < chars.length; i++) {
        if (!isDigit(chars[i])) {
          continue;
        }
        for (let j = i + 1; j < chars.length; j++) {
          if (!isDigit(chars[j])) {
            continue;
          }
          const mixed = Number(chars[i]) ^ Number(chars[j]);
          if (mixed < 10) {
            chars[i] = String(mixed);
          }
          i = j;
          break;
        }
      }
      const candidates = [];
      try {
        candidates.push(atob(chars.join('')).slice(16, -16));
      } catch (e) {
        // Not base64: not the current scheme.
      }
      // The older scheme: no digit pairs, two characters of padding in front.
      try {
        candidates.push(atob(front + back).slice(2));
      } catch (e) {
        // Not that one either.
      }
      return candidates.find((url) => /^https?:\/\/[^\s]+$/.test(url)) || '';
    }

    let stored;
    Object.defineProperty(window, 'ysmm', {
      configurable: true,
      enumerable: true,
      get() {
        return stored;
      },
      set(value) {
        stored = value;
        try {
          if (typeof value !== 'string' || value === '') {
            return;
          }
          const destination = unscramble(value);
          if (destination === '') {
            if (source.verbose) {
              console.log(`${source.name}: could not decode ysmm`);
            }
            return;
          }
          if (source.verbose) {
            console.log(`${source.name}: going straight to ${destination}`);
          }
          // replace(): going back must not land on the wait page again.
          window.location.replace(destination);
        } catch (e) {
          // The page keeps its wait page then.
        }
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
