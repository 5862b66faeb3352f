#!/nonexistent/interpreter
