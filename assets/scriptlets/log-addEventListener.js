function logAddEventListener(source, args) {
  // Logs every addEventListener call, its event type, what it is added to and
  // the listener's source, so that a rule author can write a
  // prevent-addEventListener rule. The listener is added as usual.
  try {
    function listenerText(listener) {
      if (typeof listener === 'function') {
        return Function.prototype.toString.call(listener);
      }
      if (listener && typeof listener.handleEvent === 'function') {
        return Function.prototype.toString.call(listener.handleEvent);
      }
      return String(listener);
    }

    function targetText(target) {
      if (target === window) {
        return 'window';
      }
      if (target === document) {
        return 'document';
      }
      if (target instanceof Element) {
        let text = target.localName;
        if (target.id) {
          text += `#${target.id}`;
        }
        if (typeof target.className === 'string' && target.className.trim() !== '') {
          text += `.${target.className.trim().split(/\s+/).join('.')}`;
        }
        return text;
      }
      return Object.prototype.toString.call(target);
    }

    const proto = EventTarget.prototype;
    proto.addEventListener = new Proxy(proto.addEventListener, {
      apply(target, thisArg, callArgs) {
        try {
          console.log(`${source.name}: addEventListener("${String(callArgs[0])}", ` +
                      `${listenerText(callArgs[1])}) on ${targetText(thisArg)}`);
        } catch (e) {
          // A listener that cannot be shown is added all the same.
        }
        return Reflect.apply(target, thisArg, callArgs);
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
