function preventAddEventListener(source, args) {
  // addEventListener calls whose event type matches the first argument and
  // whose listener (its source text) matches the second are dropped: the
  // listener is never added. Each is a substring or /regex/flags, "!"
  // inverting it; an empty one matches anything.
  try {
    const typePattern = typeof args[0] === 'string' ? args[0] : '';
    const listenerPattern = typeof args[1] === 'string' ? args[1] : '';

    function makeMatcher(pattern) {
      let text = pattern;
      let invert = false;
      if (text.startsWith('!')) {
        invert = true;
        text = text.slice(1);
      }
      let test;
      const literal = /^\/(.+)\/([dgimsuy]*)$/.exec(text);
      if (text === '') {
        test = () => true;
      } else if (literal) {
        let re;
        try {
          re = new RegExp(literal[1], literal[2].replace('g', ''));
        } catch (e) {
          return null;
        }
        test = (s) => re.test(s);
      } else {
        test = (s) => s.includes(text);
      }
      return (s) => test(String(s)) !== invert;
    }

    // A listener is a function, or an object whose handleEvent does the work.
    function listenerText(listener) {
      if (typeof listener === 'function') {
        return Function.prototype.toString.call(listener);
      }
      if (listener && typeof listener.handleEvent === 'function') {
        return Function.prototype.toString.call(listener.handleEvent);
      }
      return String(listener);
    }

    const matchesType = makeMatcher(typePattern);
    const matchesListener = makeMatcher(listenerPattern);
    if (matchesType === null || matchesListener === null) {
      return;
    }

    const proto = EventTarget.prototype;
    proto.addEventListener = new Proxy(proto.addEventListener, {
      apply(target, thisArg, callArgs) {
        try {
          const type = String(callArgs[0]);
          const text = listenerText(callArgs[1]);
          if (matchesType(type) && matchesListener(text)) {
            if (source.verbose) {
              console.log(`${source.name}: prevented addEventListener("${type}", ${text})`);
            }
            return undefined;
          }
        } catch (e) {
          // Anything odd about the call: let the page have it unchanged.
        }
        return Reflect.apply(target, thisArg, callArgs);
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
